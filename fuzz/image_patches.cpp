#include "image_patches.h"

#include <algorithm>
#include <span>

#include "support/codec.h"

namespace velmo::fuzz {
namespace {

// Writes the bytes at offset (modulo the target's size), cut at its end.
void WriteWrapped(std::span<std::uint8_t> target, std::uint32_t offset, const ByteBuffer& bytes) {
  if (target.empty()) return;
  const std::size_t start = offset % target.size();
  const std::size_t length = std::min(bytes.size(), target.size() - start);
  std::copy_n(bytes.begin(), length, target.begin() + static_cast<std::ptrdiff_t>(start));
}

bool TouchesTable(const ImagePatch& patch) {
  return patch.region == PatchRegion::kTableEntries || patch.region == PatchRegion::kTableBytes ||
         patch.region == PatchRegion::kTableLength;
}

// Compresses plain data into its space in the image; a block larger than the
// space is cut, as a damaged image would have it.
void WriteBlock(ByteBuffer& image, std::uint32_t offset, std::uint32_t space,
                std::span<const std::uint8_t> plain, int memLevel) {
  ByteBuffer block;
  CompressData(plain, block, memLevel);
  std::copy_n(block.begin(), std::min<std::size_t>(block.size(), space), image.begin() + offset);
}

}  // namespace

std::vector<ImagePatch> ReadPatches(FuzzInput& input) {
  std::vector<ImagePatch> patches;
  while (!input.AtEnd()) {
    ImagePatch patch;
    patch.region =
        static_cast<PatchRegion>(input.Byte() % static_cast<std::uint8_t>(PatchRegion::kCount));
    patch.setup = input.Byte();
    patch.offset = input.Word();
    const auto bytes = input.Take(input.Byte());
    patch.bytes.assign(bytes.begin(), bytes.end());
    patches.push_back(std::move(patch));
  }
  return patches;
}

void AppendPatch(ByteBuffer& encoded, const ImagePatch& patch) {
  encoded.push_back(static_cast<std::uint8_t>(patch.region));
  encoded.push_back(patch.setup);
  for (int shift = 24; shift >= 0; shift -= 8) {
    encoded.push_back(static_cast<std::uint8_t>(patch.offset >> shift));
  }
  const std::size_t length = std::min<std::size_t>(patch.bytes.size(), 0xFF);
  encoded.push_back(static_cast<std::uint8_t>(length));
  encoded.insert(encoded.end(), patch.bytes.begin(), patch.bytes.begin() + length);
}

void PatchTable(const BaseImage& base, ByteBuffer& table, const std::vector<ImagePatch>& patches) {
  const std::uint32_t entriesStart = base.setupEntriesPosition;
  for (const ImagePatch& patch : patches) {
    switch (patch.region) {
      case PatchRegion::kTableEntries:
        if (table.size() > entriesStart) {
          const std::size_t end = std::min<std::size_t>(table.size(), base.textEntriesEnd);
          WriteWrapped(std::span(table).subspan(entriesStart, end - entriesStart), patch.offset,
                       patch.bytes);
        }
        break;
      case PatchRegion::kTableBytes:
        WriteWrapped(table, patch.offset, patch.bytes);
        break;
      case PatchRegion::kTableLength:
        table.resize(patch.offset % (table.size() + 1));
        break;
      default:
        break;
    }
  }
}

ByteBuffer PatchedImage(const BaseImage& base, const std::vector<ImagePatch>& patches) {
  ByteBuffer image = base.bytes;
  std::vector<ByteBuffer> setups(base.setups.size());
  std::size_t length = image.size();
  for (const ImagePatch& patch : patches) {
    const BaseSetup& setup = base.setups[patch.setup % base.setups.size()];
    ByteBuffer& plain = setups[patch.setup % base.setups.size()];
    switch (patch.region) {
      case PatchRegion::kHeader:
        WriteWrapped(std::span(image).first(kHeaderPatchEnd), patch.offset, patch.bytes);
        break;
      case PatchRegion::kTableBlock:
        WriteWrapped(
            std::span(image).subspan(base.places.tableBlockOffset, base.places.tableBlockSpace),
            patch.offset, patch.bytes);
        break;
      case PatchRegion::kSetupBlock:
        WriteWrapped(std::span(image).subspan(setup.romOffset, setup.space), patch.offset,
                     patch.bytes);
        break;
      case PatchRegion::kSetupBytes:
        if (plain.empty()) plain = setup.plain;
        WriteWrapped(plain, patch.offset, patch.bytes);
        break;
      case PatchRegion::kFileLength:
        length = std::min<std::size_t>(length, patch.offset % (image.size() + 1));
        break;
      default:
        break;
    }
  }
  for (std::size_t index = 0; index < setups.size(); ++index) {
    if (setups[index].empty()) continue;
    const BaseSetup& setup = base.setups[index];
    WriteBlock(image, setup.romOffset, setup.space, setups[index], setup.memLevel);
  }
  if (std::any_of(patches.begin(), patches.end(), TouchesTable)) {
    ByteBuffer table = base.table;
    PatchTable(base, table, patches);
    WriteBlock(image, base.places.tableBlockOffset, base.places.tableBlockSpace, table,
               image_builder::kTableMemLevel);
  }
  image.resize(length);
  return image;
}

}  // namespace velmo::fuzz
