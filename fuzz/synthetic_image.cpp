#include "synthetic_image.h"

#include <optional>

#include "fuzz_support.h"
#include "level/level_catalogue.h"
#include "support/codec.h"

namespace velmo::fuzz {
namespace {

BaseImage BuildBaseImage() {
  image_builder::BuiltImage built = image_builder::BuildImage(BaseImageOptions());

  BaseImage base;
  base.bytes = std::move(built.bytes);
  const std::span<const std::uint8_t> image(base.bytes);
  Check(DecompressData(image.subspan(kTableBlockOffset, kTableBlockSpace), base.table),
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

image_builder::ImageOptions BaseImageOptions(image_builder::ImageFault fault) {
  image_builder::ImageOptions options;
  options.contentSeed = 1;
  options.layout = image_builder::Layout::kSmall;
  options.fault = fault;
  return options;
}

const BaseImage& GetBaseImage() {
  static const BaseImage base = BuildBaseImage();
  return base;
}

}  // namespace velmo::fuzz
