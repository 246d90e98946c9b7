#pragma once

#include <cstdint>
#include <vector>

#include "cartridge/address_function.h"
#include "fuzz_support.h"
#include "image_builder/image_layout.h"
#include "support/byte_buffer.h"
#include "synthetic_image.h"

// A fuzz input for the table and pipeline targets is a list of patches to the
// good synthetic image rather than the image itself: a whole image is 12 MiB,
// and random bytes in a compressed block only make it fail to inflate. Each
// patch names the part it changes, so mutations land where Velmo reads in the
// region's image: the header and boot code, the file table (compressed or
// inflated), the setup files (compressed or inflated) and the file's length.
namespace velmo::fuzz {

enum class PatchRegion : std::uint8_t {
  kHeader,        // the header, the boot code and the two boot-code functions
                  // that name the table block's start and end: 0 to 0x10E0
  kTableBlock,    // the compressed table block as it lies in the image
  kTableEntries,  // the inflated table's setup and text-bank entries, as the
                  // region's good image has them
  kTableBytes,    // anywhere in the inflated table
  kTableLength,   // the inflated table cut short
  kSetupBlock,    // one compressed setup file as it lies in the image
  kSetupBytes,    // one inflated setup file, recompressed into its space
  kFileLength,    // the image file cut short
  kCount,
};

// One patch. Offsets and setup indexes are taken modulo the size of what they
// address, so that every value means something.
struct ImagePatch {
  PatchRegion region = PatchRegion::kHeader;
  std::uint8_t setup = 0;
  std::uint32_t offset = 0;  // a length for kTableLength and kFileLength
  ByteBuffer bytes;
};

// A patch on the wire: region byte, setup byte, offset word, length byte, then
// that many bytes. Reads until the input ends.
std::vector<ImagePatch> ReadPatches(FuzzInput& input);
void AppendPatch(ByteBuffer& encoded, const ImagePatch& patch);

// The end of the part a kHeader patch addresses: the boot-code function that
// names the table block's end is the last thing of it that Velmo reads.
inline constexpr std::uint32_t kHeaderPatchEnd = kDataBlockEndFunction + kAddressFunctionLength;

// Applies the patches that touch the inflated table only, at the places of
// the base image's region.
void PatchTable(const BaseImage& base, ByteBuffer& table, const std::vector<ImagePatch>& patches);

// The good image with every patch applied. Inflated parts that were patched
// are recompressed into their place; what does not fit in the space is cut.
ByteBuffer PatchedImage(const BaseImage& base, const std::vector<ImagePatch>& patches);

}  // namespace velmo::fuzz
