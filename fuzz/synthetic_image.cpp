#include "synthetic_image.h"

#include <array>
#include <optional>

#include "assets/file_table_layout.h"
#include "fuzz_support.h"
#include "level/level_catalogue.h"
#include "support/codec.h"

namespace velmo::fuzz {
namespace {

constexpr std::array<const RegionLayout*, 4> kRegionsByBits = {
    &region::kNorthAmerica, &region::kEurope, &region::kJapan, &region::kNorthAmerica};

BaseImage BuildBaseImage(const RegionLayout& region) {
  image_builder::BuiltImage built =
      image_builder::BuildImage(BaseImageOptions(image_builder::ImageFault::kNone, region));

  BaseImage base;
  base.region = &region;
  base.places = image_builder::PlacesFor(region);
  base.bytes = std::move(built.bytes);
  base.setupEntriesPosition = built.report.setupEntriesPosition;
  base.textEntriesPosition = base.setupEntriesPosition + level::kCount * kTableEntrySize;
  base.textEntriesEnd =
      base.textEntriesPosition + region.text.banksPerGroup * kTableEntrySize * kTextGroupCount;
  base.keptTextTotal = built.report.keptTextTotal;
  Check(base.setupEntriesPosition == base.places.SetupEntriesOffset() &&
            base.textEntriesEnd == base.places.TextEntriesEnd(),
        "the builder's report and its places disagree on the table entries");
  const std::span<const std::uint8_t> image(base.bytes);
  Check(DecompressData(image.subspan(base.places.tableBlockOffset, base.places.tableBlockSpace),
                       base.table),
        "the synthetic image's file table does not inflate");
  for (const image_builder::SetupReport& report : built.report.setups) {
    const std::optional<SetupFileInfo> info = FindSetupFile(report.assetId);
    Check(info.has_value(), "a synthetic setup file is not a level's");
    BaseSetup setup{report.levelId, report.romOffset, report.space, info->memLevel, {}};
    Check(DecompressData(image.subspan(report.romOffset, report.space), setup.plain),
          "a synthetic setup file does not inflate");
    base.setups.push_back(std::move(setup));
  }
  return base;
}

}  // namespace

image_builder::ImageOptions BaseImageOptions(image_builder::ImageFault fault,
                                             const RegionLayout& region) {
  image_builder::ImageOptions options;
  options.contentSeed = 1;
  options.region = &region;
  options.layout = image_builder::Layout::kSmall;
  options.fault = fault;
  return options;
}

const BaseImage& GetBaseImage(const RegionLayout& region) {
  static const BaseImage northAmerica = BuildBaseImage(region::kNorthAmerica);
  static const BaseImage europe = BuildBaseImage(region::kEurope);
  static const BaseImage japan = BuildBaseImage(region::kJapan);
  if (&region == &region::kEurope) return europe;
  if (&region == &region::kJapan) return japan;
  return northAmerica;
}

const RegionLayout& RegionFromBits(std::uint8_t bits) {
  return *kRegionsByBits[bits % kRegionsByBits.size()];
}

std::uint8_t RegionBits(const RegionLayout& region) {
  for (std::uint8_t bits = 0; bits < kRegionsByBits.size(); ++bits) {
    if (kRegionsByBits[bits] == &region) return bits;
  }
  Fail("a region the fuzzers do not pick");
}

}  // namespace velmo::fuzz
