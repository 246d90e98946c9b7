// BPS patches against a small fixed image. Input: one byte of flags, then
// the patch. Flag 1 writes the image's CRC-32 into the patch's footer and
// flag 2 then the patch's own, so that mutated patches get past those checks
// to their actions. Whatever the patch, applying it must not fault; an image
// it makes must have the size and CRC-32 the header names, and a refusal must
// say why and leave no image.
//
// Flag 4 takes the rest instead as two images, split where its first byte
// says, and checks that the patch written from one to the other makes the
// second from the first.

#include <algorithm>
#include <cstddef>
#include <cstdint>

#include "bps_fuzz_source.h"
#include "fuzz_support.h"
#include "patch/bps_patch_reader.h"
#include "patch/bps_patch_writer.h"
#include "support/content_crc.h"

using namespace velmo;

namespace {

constexpr std::uint8_t kFixSourceCrc = 1;
constexpr std::uint8_t kFixPatchCrc = 2;
constexpr std::uint8_t kWriteBetweenImages = 4;
constexpr std::size_t kFooterSize = 12;

void StoreLittleWord(ByteBuffer& bytes, std::size_t offset, std::uint32_t word) {
  for (int index = 0; index < 4; ++index) {
    bytes[offset + index] = static_cast<std::uint8_t>(word >> (8 * index));
  }
}

void CheckApplied(std::span<const std::uint8_t> patch, std::span<const std::uint8_t> source) {
  const BpsApplyResult result = ApplyBpsPatch(patch, source);
  if (!result.applied) {
    fuzz::Check(!result.error.empty(), "a refused patch gave no reason");
    fuzz::Check(result.target.empty(), "a refused patch left an image");
    return;
  }
  fuzz::Check(result.error.empty(), "an applied patch gave an error");
  fuzz::Check(result.target.size() == result.header.targetSize,
              "a patch made an image of another size than it names");
  fuzz::Check(ContentCrc32(result.target) == result.header.targetCrc,
              "a patch made an image with another CRC-32 than it names");
}

void CheckWrittenPatch(fuzz::FuzzInput& input) {
  const std::uint8_t split = input.Byte();
  const auto images = input.Rest();
  const auto source = images.first(std::min<std::size_t>(split, images.size()));
  const auto target = images.subspan(source.size());
  const ByteBuffer patch = CreateBpsPatch(source, target, "fuzz");
  const BpsApplyResult result = ApplyBpsPatch(patch, source);
  fuzz::Check(result.applied, "a patch just written was refused");
  fuzz::Check(std::equal(result.target.begin(), result.target.end(), target.begin(), target.end()),
              "a patch just written does not make its target");
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  fuzz::SilenceConsole();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const ByteBuffer source = fuzz::BpsFuzzSource();
  fuzz::FuzzInput input({data, size});
  const std::uint8_t flags = input.Byte();
  if (flags & kWriteBetweenImages) {
    CheckWrittenPatch(input);
    return 0;
  }
  const auto rest = input.Rest();
  ByteBuffer patch(rest.begin(), rest.end());
  if (patch.size() >= kFooterSize && (flags & kFixSourceCrc)) {
    StoreLittleWord(patch, patch.size() - kFooterSize, ContentCrc32(source));
  }
  if (patch.size() >= kFooterSize && (flags & kFixPatchCrc)) {
    StoreLittleWord(patch, patch.size() - 4,
                    ContentCrc32(std::span(patch).first(patch.size() - 4)));
  }
  CheckApplied(patch, source);
  return 0;
}
