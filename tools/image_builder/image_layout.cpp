#include "image_builder/image_layout.h"

namespace velmo::image_builder {
namespace {

// Where the game does not publish its table's place, the builder shifts the
// entry array from North America's, so that a reader which assumed North
// America's place would miss it, and names an end that leaves the block the
// same room as North America's.
constexpr std::uint32_t kShiftedAssetEntriesOffset = 0x25420;
constexpr std::uint32_t kNamedBlockRoom = 0x11BFF;

}  // namespace

ImagePlaces PlacesFor(const RegionLayout& region) {
  ImagePlaces places;
  places.region = &region;
  places.tableBlockOffset = region.dataBlock.offset;
  places.tableBlockSpace = region.dataBlock.fixedRoom.value_or(kNamedBlockRoom);
  places.tableBlockEnd = places.tableBlockOffset + places.tableBlockSpace + 1;
  places.assetEntriesOffset = region.setupEntriesPosition ? *region.setupEntriesPosition -
                                                                kTableEntrySize * kFirstSetupAssetId
                                                          : kShiftedAssetEntriesOffset;
  places.firstSetupOffset =
      &region == &region::kNorthAmerica ? kFirstSetupOffset : region.setups.front().offset;
  return places;
}

}  // namespace velmo::image_builder
