// What a whole run costs next to the zlib work no run can avoid: copying the
// image file, inflating the file table and the 21 setup files once each, and
// deflating the blocks the run writes instead, the randomised table and setup
// files, at level 9 with the codec's own parameters. Every iteration makes the
// game of one seed, so both deflate exactly the same bytes. Both are timed in
// every iteration, one after the other and in alternating order, so that a
// busy machine slows both alike. The counters, each the median over the
// iterations:
//   run_cpu_ms, zlib_cpu_ms  process CPU time of each
//   cpu_ratio                run / zlib work in CPU time: at most 1 means the
//                            run costs nothing beyond that work
//   wall_ratio               the same in wall time (the disk and other
//                            processes show here, not in cpu_ratio)
// Instruction counts, which a loaded machine does not change, come from
//   valgrind --tool=callgrind build-bench/bench/velmo_bench
//     --benchmark_filter=BM_RunAgainstZlibWork
// and callgrind_annotate --inclusive=yes: compare RunOnce with ZlibWorkOnce.

#include <benchmark/benchmark.h>
#include <zlib.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "app/driver.h"
#include "assets/file_table.h"
#include "assets/file_table_layout.h"
#include "image_builder/image_builder.h"
#include "silent_console.h"
#include "support/codec.h"
#include "support/logger.h"

namespace velmo {
namespace {

// The codec's stream parameters; the blocks' two header bytes are skipped.
constexpr std::size_t kBlockHeaderSize = 2;
constexpr int kInflateWindowBits = -8;
constexpr int kDeflateWindowBits = -15;
constexpr int kDeflateLevel = 9;
constexpr std::size_t kInflateFactor = 20;

// The seed of the game every iteration makes.
constexpr std::uint32_t kSeed = 12345;

// One compressed block of the image: where it lies and how it is deflated.
struct Block {
  std::uint32_t offset;
  std::uint32_t space;
  int memLevel;
};

// What the run deflates into one block of its image.
struct PlainBlock {
  ByteBuffer bytes;
  int memLevel;
};

std::vector<Block> FindBlocks(const ByteBuffer& image) {
  SilentConsole silent;
  ScopedConsoleRedirect redirect(silent);
  ByteBuffer table;
  std::vector<SetupFileEntry> files;
  Load21990Data(image, table);
  ProcessFileTable(table, image.size(), files);
  std::vector<Block> blocks{{k21990BlockOffset, k21990BlockSpace, k21990MemLevel}};
  for (const SetupFileEntry& file : files) {
    blocks.push_back({file.romOffset, file.availableSize, file.memLevel});
  }
  return blocks;
}

ByteBuffer ReadFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return ByteBuffer(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteFile(const std::filesystem::path& path, const void* bytes, std::size_t length) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(static_cast<const char*>(bytes), static_cast<std::streamsize>(length));
}

// The synthetic image on disk, the settings beside a would-be executable, and
// the blocks the image holds, found once.
struct CostFixture {
  CostFixture() {
    directory = std::filesystem::temp_directory_path() / "velmo-bench-cost";
    std::filesystem::create_directories(directory);
    image = image_builder::BuildImage(image_builder::ImageOptions{}).bytes;
    input = directory / "goldeneye.z64";
    output = directory / "goldeneye_rand.z64";
    spoilerLog = directory / "goldeneye_rand_spoiler.txt";
    zlibCopy = directory / "goldeneye_copy.z64";
    WriteFile(input, image.data(), image.size());
    // The settings the packages ship, which leave the seed to the run's clock.
    std::filesystem::copy_file(VELMO_SHIPPED_SETTINGS, directory / "Velmo.ini",
                               std::filesystem::copy_options::overwrite_existing);
    blocks = FindBlocks(image);
    FindRandomisedBlocks();
    std::size_t largestSpace = 0;
    for (const Block& block : blocks)
      largestSpace = std::max<std::size_t>(largestSpace, block.space);
    inflated.reset(new std::uint8_t[largestSpace * kInflateFactor]);
    deflated.reset(new std::uint8_t[largestSpace * kInflateFactor * 2]);
  }

  // The blocks of the image the run makes, inflated again: exactly what it
  // deflated.
  void FindRandomisedBlocks() {
    SilentConsole silent;
    ScopedConsoleRedirect redirect(silent);
    RunVelmo({(directory / "Velmo").string(), input.string()}, [] { return kSeed; });
    const ByteBuffer randomised = ReadFile(output);
    for (const Block& block : FindBlocks(randomised)) {
      PlainBlock plain{{}, block.memLevel};
      DecompressData(std::span(randomised).subspan(block.offset, block.space), plain.bytes);
      randomisedBlocks.push_back(std::move(plain));
    }
  }

  std::filesystem::path directory, input, output, spoilerLog, zlibCopy;
  ByteBuffer image;
  std::vector<Block> blocks;
  std::vector<PlainBlock> randomisedBlocks;
  std::unique_ptr<std::uint8_t[]> inflated;
  std::unique_ptr<std::uint8_t[]> deflated;
};

// A whole run as the player starts it, from the copy to the last file written.
[[gnu::noinline]] bool RunOnce(const CostFixture& fixture) {
  const std::string executable = (fixture.directory / "Velmo").string();
  RunVelmo({executable, fixture.input.string()}, [] { return kSeed; });
  return std::filesystem::exists(fixture.spoilerLog);
}

std::size_t InflateBlock(const std::uint8_t* block, std::size_t space, std::uint8_t* out) {
  z_stream stream{};
  stream.next_in = const_cast<Bytef*>(block + kBlockHeaderSize);
  stream.avail_in = static_cast<uInt>(space - kBlockHeaderSize);
  stream.next_out = out;
  stream.avail_out = static_cast<uInt>(space * kInflateFactor);
  inflateInit2(&stream, kInflateWindowBits);
  const int result = inflate(&stream, Z_NO_FLUSH);
  inflateEnd(&stream);
  return result == Z_STREAM_END ? stream.total_out : 0;
}

std::size_t DeflateBlock(const std::uint8_t* plain, std::size_t length, int memLevel,
                         std::uint8_t* out) {
  z_stream stream{};
  stream.next_in = const_cast<Bytef*>(plain);
  stream.avail_in = static_cast<uInt>(length);
  stream.next_out = out;
  stream.avail_out = static_cast<uInt>(length * 2);
  deflateInit2(&stream, kDeflateLevel, Z_DEFLATED, kDeflateWindowBits, memLevel,
               Z_DEFAULT_STRATEGY);
  const int result = deflate(&stream, Z_FINISH);
  deflateEnd(&stream);
  return result == Z_STREAM_END ? stream.total_out : 0;
}

// The work no run can do without, in its cheapest form: the kernel copies the
// file, and the blocks are inflated from memory into buffers made beforehand.
[[gnu::noinline]] bool ZlibWorkOnce(CostFixture& fixture) {
  std::filesystem::copy_file(fixture.input, fixture.zlibCopy);
  for (std::size_t i = 0; i < fixture.blocks.size(); ++i) {
    const Block& block = fixture.blocks[i];
    const PlainBlock& plain = fixture.randomisedBlocks[i];
    if (InflateBlock(fixture.image.data() + block.offset, block.space, fixture.inflated.get()) ==
            0 ||
        DeflateBlock(plain.bytes.data(), plain.bytes.size(), plain.memLevel,
                     fixture.deflated.get()) == 0) {
      return false;
    }
  }
  // The game hash: one CRC-32 over an image of the same size.
  return crc32_z(0L, fixture.image.data(), fixture.image.size()) != 0;
}

// Both measures of one piece of work.
struct Cost {
  double cpuSeconds = 0;
  double wallSeconds = 0;
};

template <typename Work>
bool Measure(Cost& cost, Work work) {
  const std::clock_t cpuStart = std::clock();
  const auto wallStart = std::chrono::steady_clock::now();
  const bool done = work();
  cost.cpuSeconds = static_cast<double>(std::clock() - cpuStart) / CLOCKS_PER_SEC;
  cost.wallSeconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - wallStart).count();
  return done;
}

// The middle value: one iteration slowed by another process moves it little.
double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  const std::size_t middle = values.size() / 2;
  return values.size() % 2 == 1 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

void RemoveOutputs(const CostFixture& fixture) {
  for (const auto& path : {fixture.output, fixture.spoilerLog, fixture.zlibCopy}) {
    std::filesystem::remove(path);
  }
}

void BM_RunAgainstZlibWork(benchmark::State& state) {
  static CostFixture fixture;
  // A run ends at the key prompt, which waits only while standard input is a
  // terminal.
  if (std::freopen("/dev/null", "r", stdin) == nullptr) {
    state.SkipWithError("standard input could not be given the null device");
    return;
  }
  SilentConsole silent;
  ScopedConsoleRedirect redirect(silent);
  std::vector<double> runCpu, zlibCpu, cpuRatios, wallRatios;
  bool runFirst = true;
  for (auto _ : state) {
    state.PauseTiming();
    RemoveOutputs(fixture);
    state.ResumeTiming();
    Cost run;
    Cost zlibWork;
    const auto timeRun = [&] { return Measure(run, [&] { return RunOnce(fixture); }); };
    const auto timeZlib = [&] { return Measure(zlibWork, [&] { return ZlibWorkOnce(fixture); }); };
    const bool done = runFirst ? timeRun() && timeZlib() : timeZlib() && timeRun();
    if (!done) {
      state.SkipWithError("a run or the zlib work failed");
      return;
    }
    runCpu.push_back(run.cpuSeconds * 1000);
    zlibCpu.push_back(zlibWork.cpuSeconds * 1000);
    cpuRatios.push_back(run.cpuSeconds / zlibWork.cpuSeconds);
    wallRatios.push_back(run.wallSeconds / zlibWork.wallSeconds);
    runFirst = !runFirst;
  }
  // Medians over the iterations; each ratio compares a run with the zlib
  // work timed right next to it.
  state.counters["run_cpu_ms"] = Median(runCpu);
  state.counters["zlib_cpu_ms"] = Median(zlibCpu);
  state.counters["cpu_ratio"] = Median(cpuRatios);
  state.counters["wall_ratio"] = Median(wallRatios);
}
// An even count, so that each order comes as often.
BENCHMARK(BM_RunAgainstZlibWork)->Unit(benchmark::kMillisecond)->Iterations(10);

}  // namespace
}  // namespace velmo
