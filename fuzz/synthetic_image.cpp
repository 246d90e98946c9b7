#include "synthetic_image.h"

#include "fuzz_support.h"
#include "rom/codec.h"

namespace velmo::fuzz {
namespace {

BaseImage BuildBaseImage() {
  image_builder::ImageOptions options;
  options.layout = image_builder::Layout::kSmall;
  image_builder::BuiltImage built = image_builder::BuildImage(options);

  BaseImage base;
  base.bytes = std::move(built.bytes);
  const std::span<const std::uint8_t> image(base.bytes);
  Check(DecompressData(image.subspan(kTableBlockOffset, kTableBlockSpace), base.table),
        "the synthetic image's file table does not inflate");
  for (const image_builder::SetupReport& report : built.report.setups) {
    BaseSetup setup{report.romOffset, report.space, report.assetId == 637 ? 6 : 5, {}};
    Check(DecompressData(image.subspan(report.romOffset, report.space), setup.plain),
          "a synthetic setup file does not inflate");
    base.setups.push_back(std::move(setup));
  }
  return base;
}

}  // namespace

const BaseImage& GetBaseImage() {
  static const BaseImage base = BuildBaseImage();
  return base;
}

}  // namespace velmo::fuzz
