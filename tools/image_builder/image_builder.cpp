#include "image_builder/image_builder.h"

#include <algorithm>
#include <array>
#include <stdexcept>

#include "cartridge/checksum.h"
#include "cartridge/region_layout.h"
#include "image_builder/boot_code.h"
#include "image_builder/cartridge_header.h"
#include "image_builder/content_random.h"
#include "image_builder/data_block_bounds.h"
#include "image_builder/file_table.h"
#include "image_builder/image_layout.h"
#include "image_builder/setup_file.h"
#include "image_builder/text_banks.h"
#include "support/buffer_words.h"

namespace velmo::image_builder {
namespace {

// The first byte of a deflate stream with the final-block bit set and the
// reserved block type 3, which no inflater accepts.
constexpr std::uint8_t kInvalidDeflateStart = 0xFF;

// English comes first in every region's text groups.
constexpr std::uint32_t kEnglishBank = 0;

std::array<std::uint32_t, level::kCount> SetupOffsets(const ImagePlaces& places) {
  std::array<std::uint32_t, level::kCount> offsets{};
  offsets[0] = places.firstSetupOffset;
  for (std::size_t index = 1; index < kSetupFiles.size(); ++index) {
    offsets[index] = places.region->setups[index].offset;
  }
  return offsets;
}

const FillTarget* TargetFor(int index, const ImageOptions& options) {
  if (options.fault == ImageFault::kSetupLargerThanSpace &&
      index == fault_target::kOversizedEntry) {
    return &kOverflowingFill;
  }
  return options.layout == Layout::kRealistic ? &kRealisticFill : nullptr;
}

// Writes the compressed file into its space; a file larger than its space is
// cut at its end bound, which is all that the image has room for.
void WriteSetup(ByteBuffer& image, const SetupReport& report, const ByteBuffer& compressed,
                const ImageOptions& options, int index) {
  std::uint8_t* start = &image[report.romOffset];
  if (options.fault == ImageFault::kSetupDoesNotInflate &&
      index == fault_target::kUninflatableEntry) {
    std::copy_n(compressed.begin(), 2, start);
    start[2] = kInvalidDeflateStart;
    return;
  }
  std::size_t length = std::min<std::size_t>(compressed.size(), report.space);
  std::copy_n(compressed.begin(), length, start);
}

std::vector<SetupReport> WriteSetups(ByteBuffer& image, const ImagePlaces& places,
                                     const ImageOptions& options) {
  std::array<std::uint32_t, level::kCount> offsets = SetupOffsets(places);
  std::vector<SetupReport> reports;
  for (int index = 0; index < level::kCount; ++index) {
    const SetupFileInfo& info = kSetupFiles[static_cast<std::size_t>(index)];
    std::uint32_t space = places.region->setups[static_cast<std::size_t>(index)].endBound -
                          offsets[static_cast<std::size_t>(index)];
    BuiltSetup setup = BuildSetupFile(index, options.layout, options.contentSeed, space,
                                      TargetFor(index, options), options.gameLikeLevels);
    SetupReport report{info.assetId,
                       info.levelId,
                       offsets[static_cast<std::size_t>(index)],
                       space,
                       static_cast<std::uint32_t>(setup.compressed.size()),
                       static_cast<std::uint32_t>(setup.plain.size()),
                       std::move(setup.notes)};
    WriteSetup(image, report, setup.compressed, options, index);
    reports.push_back(std::move(report));
  }
  return reports;
}

void ApplyTableFault(ByteBuffer& table, const ImagePlaces& places,
                     const std::vector<TextGroup>& groups, const ImageOptions& options) {
  using namespace fault_target;
  switch (options.fault) {
    case ImageFault::kWrongFirstTableWord:
      StoreBigEndian32(&table[SetupEntryIdPosition(places, 0)], kWrongFirstSetupAssetId);
      break;
    case ImageFault::kSetupAssetIdOutOfRange:
      StoreBigEndian32(&table[SetupEntryIdPosition(places, kOutOfRangeEntry)], kOutOfRangeAssetId);
      break;
    case ImageFault::kRepeatedSetupAssetId:
      StoreBigEndian32(&table[SetupEntryIdPosition(places, kRepeatedEntry)],
                       kSetupFiles[kRepeatedEntry - 1].assetId);
      break;
    case ImageFault::kSetupOffsetPastBound:
      StoreBigEndian32(&table[SetupEntryOffsetPosition(places, kPastBoundEntry)],
                       places.region->setups[kPastBoundEntry].endBound + kPastBoundDistance);
      break;
    case ImageFault::kWrongFirstTextWord:
      StoreBigEndian32(&table[TextGroupIdPosition(places, 0)], kWrongFirstTextAssetId);
      break;
    case ImageFault::kTextPairOutOfOrder:
      StoreBigEndian32(&table[TextBankOffsetPosition(places, kOutOfOrderPair, 0)],
                       groups[kOutOfOrderPair].banks[1].offset);
      StoreBigEndian32(&table[TextBankOffsetPosition(places, kOutOfOrderPair, 1)],
                       groups[kOutOfOrderPair].banks[0].offset);
      break;
    case ImageFault::kTableOverflowsOnRewrite:
      FillTableToTheBrim(table, places, options.contentSeed);
      break;
    default:
      break;
  }
}

void WriteTable(ByteBuffer& image, ImageReport& report, const ImagePlaces& places,
                const ImageOptions& options) {
  std::array<std::uint32_t, level::kCount> offsets = SetupOffsets(places);
  ContentRandom random(options.contentSeed, stream::kTable);
  ByteBuffer table = BuildFileTable(places, offsets, report.textGroups, random);
  ApplyTableFault(table, places, report.textGroups, options);
  ByteBuffer block = CompressTable(table);
  if (block.size() > places.tableBlockSpace) {
    throw std::logic_error("file table block does not fit");
  }
  std::copy(block.begin(), block.end(), image.begin() + places.tableBlockOffset);
  WriteDataBlockBounds(image, places);
  report.tableCompressedSize = static_cast<std::uint32_t>(block.size());
  report.tableInflatedSize = static_cast<std::uint32_t>(table.size());
  report.setupEntriesPosition = places.SetupEntriesOffset();
}

void WriteTextRegion(ByteBuffer& image, ImageReport& report, const TextLayout& layout,
                     const ImageOptions& options) {
  ContentRandom textRandom(options.contentSeed, stream::kTextBanks);
  report.textGroups = PlanTextBanks(layout, textRandom);
  WriteTextBanks(image, report.textGroups);
  report.keptTextTotal = BankTotal(report.textGroups, layout.keptBank);
  report.emptyKeptGroup = EmptyBankGroup(report.textGroups, layout.keptBank);
  report.englishTextTotal = BankTotal(report.textGroups, kEnglishBank);
  report.emptyEnglishPair = EmptyBankGroup(report.textGroups, kEnglishBank);
}

void WriteChecksum(ByteBuffer& image) {
  HeaderChecksum checksum = ComputeHeaderChecksum(image);
  StoreBigEndian32(&image[kHeaderChecksumOffset], checksum.crc1);
  StoreBigEndian32(&image[kHeaderChecksumOffset + 4], checksum.crc2);
}

// The finished image as a file of another form: byte-swapped or cut short.
void ApplyFileFault(ByteBuffer& image, const ImageOptions& options) {
  if (options.fault == ImageFault::kByteSwapped) {
    for (std::size_t offset = 0; offset + 1 < image.size(); offset += 2) {
      std::swap(image[offset], image[offset + 1]);
    }
  }
  if (options.fault == ImageFault::kTruncated && options.truncatedLength < image.size()) {
    image.resize(options.truncatedLength);
  }
}

}  // namespace

BuiltImage BuildImage(const ImageOptions& options) {
  const RegionLayout& region = *options.region;
  if (options.fault != ImageFault::kNone && &region != &region::kNorthAmerica) {
    throw std::invalid_argument("image faults are made in North American images only");
  }
  const ImagePlaces places = PlacesFor(region);
  BuiltImage built;
  built.report.region = &region;
  ByteBuffer& image = built.bytes;
  image.resize(kImageSize);
  ContentRandom filler(options.contentSeed, stream::kImageFiller);
  filler.Fill(image);

  WriteCartridgeHeader(image, options.fault, region);
  ContentRandom bootRandom(options.contentSeed, stream::kBootCode);
  WriteSteeredBytes(std::span(image).subspan(kBootCodeOffset, kBootCodeEnd - kBootCodeOffset),
                    BootCodeCrc(options.cic), bootRandom);

  built.report.setups = WriteSetups(image, places, options);
  WriteTextRegion(image, built.report, region.text, options);
  WriteTable(image, built.report, places, options);

  WriteChecksum(image);
  ApplyFileFault(image, options);
  return built;
}

}  // namespace velmo::image_builder
