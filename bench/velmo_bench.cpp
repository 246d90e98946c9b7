// Timings of a whole run on a realistic synthetic 12 MiB image and of its
// stages, to see how much of a run is zlib's own work and how much is ours.
//   cmake -S . -B build-bench -DCMAKE_BUILD_TYPE=Release -DVELMO_BUILD_BENCHMARKS=ON
//   cmake --build build-bench -j2 --target velmo_bench
//   build-bench/bench/velmo_bench --benchmark_repetitions=10 --benchmark_report_aggregates_only

#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>

#include "assets/file_table.h"
#include "assets/table_write_back.h"
#include "assets/text_banks.h"
#include "cartridge/checksum.h"
#include "image_builder/image_builder.h"
#include "level/goldeneye_level.h"
#include "patch/bps_patch_reader.h"
#include "patch/bps_patch_writer.h"
#include "randomise/random_source.h"
#include "randomise/randomiser_switches.h"
#include "rom/level_loop.h"
#include "rom/rom.h"
#include "rom/rom_verification.h"
#include "silent_console.h"
#include "support/buffer_words.h"
#include "support/codec.h"
#include "support/config_file.h"
#include "support/logger.h"

namespace velmo {
namespace {

// The image, its table and its setup files, built once.
struct Fixture {
  Fixture() {
    image = image_builder::BuildImage(image_builder::ImageOptions{}).bytes;
    Load21990Data(image, table);
    ProcessFileTable(table, image.size(), files);
    for (SetupFileEntry& file : files) {
      DecompressData(std::span(image).subspan(file.romOffset, file.availableSize), file.setupData);
    }
  }

  ByteBuffer image;
  ByteBuffer table;
  std::vector<SetupFileEntry> files;
};

const Fixture& TheFixture() {
  static const Fixture fixture;
  return fixture;
}

std::filesystem::path BenchDirectory() {
  auto path = std::filesystem::temp_directory_path() / "velmo-bench";
  std::filesystem::create_directories(path);
  return path;
}

void WriteFile(const std::filesystem::path& path, const ByteBuffer& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()),
            static_cast<std::streamsize>(bytes.size()));
}

// The image as a run leaves it before the checks, with what the run keeps to
// check it against.
struct RandomisedFixture {
  RandomisedFixture() {
    SilentConsole silent;
    ScopedConsoleRedirect redirect(silent);
    const ConfigFile config((BenchDirectory() / "verify.ini").string());
    ClassicRandom random(1);
    image = TheFixture().image;
    Load21990Data(image, table);
    ProcessFileTable(table, image.size(), files);
    StripOutJapaneseText(image, table, config, banks);
    std::vector<LevelReport> reports;
    ProcessROM(image, files, RandomiserSwitches{}, config, random, reports);
    WriteUpdatedSetups(image, files, table, LowestKeptBankOffset(table));
    WriteUpdated21990(image, table, written);
    checksum = ComputeHeaderChecksum(image);
    StoreBigEndian32(image.data() + kCrc1Offset, checksum.crc1);
    StoreBigEndian32(image.data() + kCrc2Offset, checksum.crc2);
  }

  ByteBuffer image;
  ByteBuffer table;
  WrittenTableBlock written;
  HeaderChecksum checksum;
  std::vector<SetupFileEntry> files;
  std::vector<MovedTextBank> banks;
};

const RandomisedFixture& TheRandomisedFixture() {
  static const RandomisedFixture randomised;
  return randomised;
}

void BM_WholeRun(benchmark::State& state) {
  SilentConsole silent;
  ScopedConsoleRedirect redirect(silent);
  const auto directory = BenchDirectory();
  const auto imagePath = directory / "goldeneye_rand.z64";
  std::uint32_t seed = 1;
  for (auto _ : state) {
    state.PauseTiming();
    WriteFile(imagePath, TheFixture().image);
    state.ResumeTiming();
    ClassicRandom random(seed++);
    ROM rom(imagePath.string(), (directory / "Velmo.ini").string(), random);
    if (!rom.LoadInROM()) state.SkipWithError("the run failed");
  }
}
BENCHMARK(BM_WholeRun)->Unit(benchmark::kMillisecond);

void BM_TableInflate(benchmark::State& state) {
  ByteBuffer table;
  for (auto _ : state) {
    Load21990Data(TheFixture().image, table);
    benchmark::DoNotOptimize(table.data());
  }
}
BENCHMARK(BM_TableInflate)->Unit(benchmark::kMillisecond);

void BM_TextStrip(benchmark::State& state) {
  SilentConsole silent;
  ScopedConsoleRedirect redirect(silent);
  ConfigFile config((BenchDirectory() / "strip.ini").string());
  std::vector<MovedTextBank> moved;
  for (auto _ : state) {
    state.PauseTiming();
    ByteBuffer image = TheFixture().image;
    ByteBuffer table = TheFixture().table;
    state.ResumeTiming();
    StripOutJapaneseText(image, table, config, moved);
  }
}
BENCHMARK(BM_TextStrip)->Unit(benchmark::kMillisecond);

void BM_LevelInflate(benchmark::State& state) {
  ByteBuffer setup;
  for (auto _ : state) {
    for (const SetupFileEntry& file : TheFixture().files) {
      DecompressData(std::span(TheFixture().image).subspan(file.romOffset, file.availableSize),
                     setup);
    }
  }
}
BENCHMARK(BM_LevelInflate)->Unit(benchmark::kMillisecond);

// Parsing, the randomisers and the write-back of all 21 levels: our own code.
void BM_LevelRandomise(benchmark::State& state) {
  SilentConsole silent;
  ScopedConsoleRedirect redirect(silent);
  ConfigFile config((BenchDirectory() / "levels.ini").string());
  ClassicRandom random(1);
  for (auto _ : state) {
    for (const SetupFileEntry& file : TheFixture().files) {
      GoldeneyeLevel level(config, random, file.setupData, file.levelId);
      level.ProcessStartingBlock();
      level.ProcessSetupDataBlock();
      level.RandomiseStartingWeapons();
      level.RandomiseGuardTypes();
      level.RandomiseGuardWeapons();
      level.AddNemesisCharacter();
      level.ApplyLevelSpecificRandomisations();
      level.WriteBackToSetup();
      benchmark::DoNotOptimize(level.setupData.data());
    }
  }
}
BENCHMARK(BM_LevelRandomise)->Unit(benchmark::kMillisecond);

void BM_LevelDeflate(benchmark::State& state) {
  ByteBuffer compressed;
  for (auto _ : state) {
    for (const SetupFileEntry& file : TheFixture().files) {
      CompressData(file.setupData, compressed, file.memLevel);
    }
  }
}
BENCHMARK(BM_LevelDeflate)->Unit(benchmark::kMillisecond);

void BM_TableDeflate(benchmark::State& state) {
  ByteBuffer block;
  for (auto _ : state) CompressData(TheFixture().table, block, 3);
}
BENCHMARK(BM_TableDeflate)->Unit(benchmark::kMillisecond);

// The check of the finished image, which must stay a small part of a run.
void BM_Verification(benchmark::State& state) {
  const RandomisedFixture& randomised = TheRandomisedFixture();
  for (auto _ : state) {
    const IntendedImage intended{randomised.table, randomised.written, randomised.files,
                                 randomised.banks, randomised.checksum};
    if (!VerifyRandomisedROM(randomised.image, intended)) {
      state.SkipWithError("the randomised image did not verify");
    }
  }
}
BENCHMARK(BM_Verification)->Unit(benchmark::kMillisecond);

void BM_Checksum(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize(ComputeHeaderChecksum(TheFixture().image));
}
BENCHMARK(BM_Checksum)->Unit(benchmark::kMillisecond);

// The patch from the image a player gives to the one a run makes, and back:
// a run writes one and must stay fast in the browser too.
void BM_CreateBpsPatch(benchmark::State& state) {
  const ByteBuffer& source = TheFixture().image;
  const ByteBuffer& target = TheRandomisedFixture().image;
  ByteBuffer patch;
  for (auto _ : state) {
    patch = CreateBpsPatch(source, target, "Velmo");
    benchmark::DoNotOptimize(patch.data());
  }
  state.counters["patch_bytes"] = static_cast<double>(patch.size());
}
BENCHMARK(BM_CreateBpsPatch)->Unit(benchmark::kMillisecond);

void BM_ApplyBpsPatch(benchmark::State& state) {
  const ByteBuffer& source = TheFixture().image;
  const ByteBuffer patch = CreateBpsPatch(source, TheRandomisedFixture().image, "Velmo");
  for (auto _ : state) {
    const BpsApplyResult result = ApplyBpsPatch(patch, source);
    if (!result.applied) state.SkipWithError(result.error.c_str());
    benchmark::DoNotOptimize(result.target.data());
  }
}
BENCHMARK(BM_ApplyBpsPatch)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace velmo

BENCHMARK_MAIN();
