// Writes the seed corpus of every fuzz target from the synthetic images, one
// folder per target under the folder given:
//   velmo-fuzz-seeds OUTPUT_FOLDER
// The level targets start from the 21 inflated setup files, the codec from
// their compressed blocks, and the table and pipeline targets from each
// region's good image and from the patches that turn the North American one
// into each bad variant the image builder makes. The BPS patch target starts
// from patches written from its small image.

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "bps_fuzz_source.h"
#include "cartridge/address_function.h"
#include "cartridge/region_layout.h"
#include "fuzz_support.h"
#include "harness/temp_dir.h"
#include "image_builder/image_builder.h"
#include "image_builder/image_layout.h"
#include "image_patches.h"
#include "patch/bps_patch_writer.h"
#include "support/codec.h"
#include "synthetic_image.h"

using namespace velmo;
using image_builder::ImageFault;

namespace {

constexpr std::size_t kMostBytesPerPatch = 0xFF;
// Bad variants whose difference needs more patches than this are left out:
// they would not survive the targets' -max_len.
constexpr std::size_t kMostPatchesPerSeed = 16;

class Corpus {
 public:
  Corpus(const std::filesystem::path& root, const std::string& target) : folder_(root / target) {
    std::filesystem::create_directories(folder_);
  }
  void Add(const ByteBuffer& input) {
    testing::WriteBinaryFile((folder_ / ("seed-" + std::to_string(count_++))).string(), input);
  }

 private:
  std::filesystem::path folder_;
  int count_ = 0;
};

void AppendWord(ByteBuffer& bytes, std::uint32_t word) {
  for (int shift = 24; shift >= 0; shift -= 8) bytes.push_back(std::uint8_t(word >> shift));
}

// Patches that turn `from` into `to` within [start, end) of both, relative to
// start, one per run of differing bytes.
std::vector<fuzz::ImagePatch> DifferencePatches(const ByteBuffer& from, const ByteBuffer& to,
                                                std::size_t start, std::size_t end,
                                                fuzz::PatchRegion region, std::uint8_t setup) {
  std::vector<fuzz::ImagePatch> patches;
  end = std::min<std::size_t>({end, from.size(), to.size()});
  for (std::size_t at = start; at < end; ++at) {
    if (from[at] == to[at]) continue;
    fuzz::ImagePatch patch{region, setup, static_cast<std::uint32_t>(at - start), {}};
    while (at < end && from[at] != to[at] && patch.bytes.size() < kMostBytesPerPatch) {
      patch.bytes.push_back(to[at++]);
    }
    patches.push_back(std::move(patch));
  }
  return patches;
}

ByteBuffer InflatedTable(const fuzz::BaseImage& base, const ByteBuffer& image) {
  ByteBuffer table;
  const image_builder::ImagePlaces& places = base.places;
  if (image.size() >= places.tableBlockOffset + places.tableBlockSpace) {
    DecompressData(std::span(image).subspan(places.tableBlockOffset, places.tableBlockSpace),
                   table);
  }
  return table;
}

// The patches that make the bad variant of the good North American image:
// header bytes, inflated table entries, compressed setup bytes and the file's
// length.
std::vector<fuzz::ImagePatch> FaultPatches(ImageFault fault) {
  const fuzz::BaseImage& base = fuzz::GetBaseImage(region::kNorthAmerica);
  const ByteBuffer bad = image_builder::BuildImage(fuzz::BaseImageOptions(fault)).bytes;
  std::vector<fuzz::ImagePatch> patches =
      DifferencePatches(base.bytes, bad, 0, fuzz::kHeaderPatchEnd, fuzz::PatchRegion::kHeader, 0);
  const ByteBuffer badTable = InflatedTable(base, bad);
  if (badTable.size() == base.table.size()) {
    for (fuzz::ImagePatch& patch :
         DifferencePatches(base.table, badTable, base.setupEntriesPosition, base.textEntriesEnd,
                           fuzz::PatchRegion::kTableEntries, 0)) {
      patches.push_back(std::move(patch));
    }
  }
  for (std::size_t index = 0; index < base.setups.size(); ++index) {
    const fuzz::BaseSetup& setup = base.setups[index];
    for (fuzz::ImagePatch& patch :
         DifferencePatches(base.bytes, bad, setup.romOffset, setup.romOffset + setup.space,
                           fuzz::PatchRegion::kSetupBlock, static_cast<std::uint8_t>(index))) {
      patches.push_back(std::move(patch));
    }
  }
  return patches;
}

void WriteLevelCorpora(const std::filesystem::path& root) {
  Corpus objectList(root, "object_list_fuzzer");
  Corpus introBlock(root, "intro_block_fuzzer");
  Corpus randomisers(root, "randomisers_fuzzer");
  Corpus codec(root, "codec_fuzzer");
  std::uint32_t seed = 1;
  for (const fuzz::BaseSetup& setup : fuzz::GetBaseImage().setups) {
    ByteBuffer input = {static_cast<std::uint8_t>(setup.levelId)};
    input.insert(input.end(), setup.plain.begin(), setup.plain.end());
    objectList.Add(input);
    introBlock.Add(input);

    ByteBuffer randomised = {static_cast<std::uint8_t>(setup.levelId)};
    AppendWord(randomised, seed);
    randomised.push_back(static_cast<std::uint8_t>(seed % 4));  // Nemesis and TRACE in turn
    randomised.insert(randomised.end(), setup.plain.begin(), setup.plain.end());
    randomisers.Add(randomised);
    ++seed;

    ByteBuffer block = {static_cast<std::uint8_t>(setup.memLevel)};
    ByteBuffer compressed;
    CompressData(setup.plain, compressed, setup.memLevel);
    block.insert(block.end(), compressed.begin(), compressed.end());
    codec.Add(block);
  }
}

// A copy of the table's setup and text entries at an earlier word-aligned
// place, where a region whose entries are searched for must find them.
std::vector<fuzz::ImagePatch> CopiedEntries(const fuzz::BaseImage& base) {
  const std::uint32_t copyAt = base.setupEntriesPosition / 2 & ~3u;
  std::vector<fuzz::ImagePatch> patches;
  for (std::uint32_t at = base.setupEntriesPosition; at < base.textEntriesEnd;
       at += kMostBytesPerPatch) {
    const std::uint32_t end = std::min<std::uint32_t>(at + kMostBytesPerPatch, base.textEntriesEnd);
    patches.push_back({fuzz::PatchRegion::kTableBytes, 0, copyAt + (at - base.setupEntriesPosition),
                       ByteBuffer(base.table.begin() + at, base.table.begin() + end)});
  }
  return patches;
}

// The run of setup identifiers broken at its end: asset 638's entry names 639.
std::vector<fuzz::ImagePatch> BrokenRun(const fuzz::BaseImage& base) {
  const std::uint32_t firstTextEntry = base.textEntriesPosition - base.setupEntriesPosition;
  return {{fuzz::PatchRegion::kTableEntries, 0, firstTextEntry, {0, 0, 0x02, 0x7F}}};
}

// The good image of a region, and that image cut inside its table block, its
// setup files and its text region. The European and Japanese images also get
// a boot code whose function naming the table block's end is broken.
void WriteRegionSeeds(const RegionLayout& region, Corpus& table, Corpus& pipeline) {
  const fuzz::BaseImage& base = fuzz::GetBaseImage(region);
  const auto regionBits = static_cast<std::uint8_t>(fuzz::RegionBits(region) << 2);
  table.Add({regionBits, 0, 0, 0, 0});
  table.Add({static_cast<std::uint8_t>(regionBits | 1), 0, 0, 0, 0});
  pipeline.Add({0, 0, 0, 1, static_cast<std::uint8_t>(regionBits | 2)});
  const std::uint32_t lengths[] = {base.places.tableBlockOffset + 0x1000,
                                   base.setups.back().romOffset, region.text.regionStart + 0x8000};
  for (std::uint32_t length : lengths) {
    ByteBuffer input = {0, 0, 0, 9, static_cast<std::uint8_t>(regionBits | 2)};
    fuzz::AppendPatch(input, {fuzz::PatchRegion::kFileLength, 0, length, {}});
    pipeline.Add(input);
    ByteBuffer cutTable = {static_cast<std::uint8_t>(regionBits | 2)};
    AppendWord(cutTable, length);
    table.Add(cutTable);
  }
  if (region.dataBlock.fixedRoom) return;
  ByteBuffer brokenBoot = {0, 0, 0, 5, regionBits};
  fuzz::AppendPatch(brokenBoot, {fuzz::PatchRegion::kHeader, 0, kDataBlockEndFunction + 4, {0, 0}});
  pipeline.Add(brokenBoot);
  if (region.setupEntriesPosition) return;
  for (const std::vector<fuzz::ImagePatch>& patches : {CopiedEntries(base), BrokenRun(base)}) {
    ByteBuffer tableInput = {regionBits, 0, 0, 0, 0};
    ByteBuffer pipelineInput = {0, 0, 0, 3, static_cast<std::uint8_t>(regionBits | 2)};
    for (const fuzz::ImagePatch& patch : patches) {
      fuzz::AppendPatch(tableInput, patch);
      fuzz::AppendPatch(pipelineInput, patch);
    }
    table.Add(tableInput);
    pipeline.Add(pipelineInput);
  }
}

void WriteImageCorpora(const std::filesystem::path& root) {
  Corpus table(root, "table_checks_fuzzer");
  Corpus pipeline(root, "pipeline_fuzzer");
  table.Add({0, 0, 0, 0, 0});
  pipeline.Add({0, 0, 0, 1, 2});
  for (ImageFault fault : image_builder::kAllFaults) {
    if (fault == ImageFault::kNone || fault == ImageFault::kTruncated) continue;
    const std::vector<fuzz::ImagePatch> patches = FaultPatches(fault);
    if (patches.empty() || patches.size() > kMostPatchesPerSeed) continue;
    ByteBuffer tableInput = {1, 0, 0, 0, 0};
    ByteBuffer pipelineInput = {0, 0, 0, 7, 3};
    for (const fuzz::ImagePatch& patch : patches) {
      if (patch.region == fuzz::PatchRegion::kTableEntries) fuzz::AppendPatch(tableInput, patch);
      fuzz::AppendPatch(pipelineInput, patch);
    }
    if (tableInput.size() > 5) table.Add(tableInput);
    pipeline.Add(pipelineInput);
  }
  // Images cut inside the header, the table block, the setup files and the
  // text region.
  for (std::uint32_t length : {0x40u, 0x21990u + 0x1000u, 0x8B0000u, 0x8F0000u}) {
    ByteBuffer input = {0, 0, 0, 9, 2};
    fuzz::AppendPatch(input, {fuzz::PatchRegion::kFileLength, 0, length, {}});
    pipeline.Add(input);
    ByteBuffer cutTable = {2};
    AppendWord(cutTable, length);
    table.Add(cutTable);
  }
  WriteRegionSeeds(region::kEurope, table, pipeline);
  WriteRegionSeeds(region::kJapan, table, pipeline);
}

// Patches from the target's image to some of its changes, taken as they are
// and with both CRCs fixed (flags 0 and 3), and the two images of each as an
// input for the writer (flag 4).
void WritePatchCorpus(const std::filesystem::path& root) {
  Corpus corpus(root, "bps_patch_fuzzer");
  const ByteBuffer source = fuzz::BpsFuzzSource();
  ByteBuffer changed = source;
  std::fill_n(changed.begin() + 100, 40, 0xA5);
  ByteBuffer moved = source;
  std::copy_n(source.begin() + 20, 64, moved.begin() + 400);
  std::fill_n(moved.begin() + 20, 64, 0);
  ByteBuffer grown = source;
  grown.insert(grown.end(), source.begin(), source.begin() + 100);
  const ByteBuffer shrunk(source.begin(), source.begin() + 200);
  for (const ByteBuffer& target : {source, changed, moved, grown, shrunk}) {
    const ByteBuffer patch = CreateBpsPatch(source, target, "seed");
    for (std::uint8_t flags : {0, 3}) {
      ByteBuffer input = {flags};
      input.insert(input.end(), patch.begin(), patch.end());
      corpus.Add(input);
    }
    // The first 200 bytes of each image: the writer's input splits there.
    ByteBuffer images = {4, 200};
    images.insert(images.end(), source.begin(), source.begin() + 200);
    images.insert(images.end(), target.begin(), target.begin() + 200);
    corpus.Add(images);
  }
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: velmo-fuzz-seeds OUTPUT_FOLDER\n");
    return 2;
  }
  fuzz::SilenceConsole();
  const std::filesystem::path root(argv[1]);
  WriteLevelCorpora(root);
  WriteImageCorpora(root);
  WritePatchCorpus(root);
  return 0;
}
