#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string_view>

#include "cartridge/region_layout.h"

namespace velmo::image_builder {

// How much data the setup files carry. Realistic files fill 75-95% of their
// space in the image once compressed, like the game's; small ones hold only
// the records and build fast, for unit tests.
enum class Layout { kSmall, kRealistic };

// The boot chip the boot code is written for, chosen through the CRC-32 of
// the boot code; kUnknown gives a CRC-32 that matches none of the five.
enum class CicVariant { k6101, k6102, k6103, k6105, k6106, kUnknown };

// One deliberate fault per image, for the tests of how Velmo refuses input.
// Every fault changes only the part named; all else stays as in the good image
// of the same seed. The faults are made in North American images only.
enum class ImageFault {
  kNone,
  kByteSwapped,              // every pair of bytes exchanged, as a .v64 file
  kOtherRegion,              // game code NGEP
  kNonZeroVersion,           // version byte 1 after NGEE
  kWrongName,                // internal name not beginning with GOL
  kTruncated,                // the file cut at ImageOptions::truncatedLength
  kWrongFirstTableWord,      // the first setup entry names asset 616
  kSetupAssetIdOutOfRange,   // one setup entry names asset 900
  kRepeatedSetupAssetId,     // one setup entry repeats the previous entry's asset
  kSetupOffsetPastBound,     // one setup entry's offset lies beyond its end bound
  kWrongFirstTextWord,       // the first text entry names asset 637
  kTextPairOutOfOrder,       // a middle pair's Japanese bank lies before its English bank
  kSetupDoesNotInflate,      // one setup file is a header and an invalid deflate block
  kSetupLargerThanSpace,     // one setup file's compressed stream runs past its end bound
  kTableOverflowsOnRewrite,  // table block fits, but not once Velmo rewrites its offsets
};

inline constexpr std::array kAllFaults = {
    ImageFault::kNone,
    ImageFault::kByteSwapped,
    ImageFault::kOtherRegion,
    ImageFault::kNonZeroVersion,
    ImageFault::kWrongName,
    ImageFault::kTruncated,
    ImageFault::kWrongFirstTableWord,
    ImageFault::kSetupAssetIdOutOfRange,
    ImageFault::kRepeatedSetupAssetId,
    ImageFault::kSetupOffsetPastBound,
    ImageFault::kWrongFirstTextWord,
    ImageFault::kTextPairOutOfOrder,
    ImageFault::kSetupDoesNotInflate,
    ImageFault::kSetupLargerThanSpace,
    ImageFault::kTableOverflowsOnRewrite,
};

inline constexpr std::array kAllCicVariants = {CicVariant::k6101, CicVariant::k6102,
                                               CicVariant::k6103, CicVariant::k6105,
                                               CicVariant::k6106, CicVariant::kUnknown};

// Where the table and setup faults are placed: setup entries by their index in
// file-table order, text pairs by their index from 0.
namespace fault_target {
inline constexpr std::uint32_t kWrongFirstSetupAssetId = 616;
inline constexpr int kOutOfRangeEntry = 6;  // Egypt
inline constexpr std::uint32_t kOutOfRangeAssetId = 900;
inline constexpr int kRepeatedEntry = 9;                   // Frigate's entry names Depo
inline constexpr int kPastBoundEntry = 2;                  // Aztec
inline constexpr std::uint32_t kPastBoundDistance = 0x20;  // offset = end bound + this
inline constexpr std::uint32_t kWrongFirstTextAssetId = 637;
inline constexpr int kOutOfOrderPair = 20;
inline constexpr int kUninflatableEntry = 8;  // Depo
inline constexpr int kOversizedEntry = 13;    // Runway
}  // namespace fault_target

// The options of one image. The region is one of the static tables of
// cartridge/region_layout.h, which outlive every image.
struct ImageOptions {
  std::uint64_t contentSeed = 1;
  const RegionLayout* region = &region::kNorthAmerica;
  Layout layout = Layout::kRealistic;
  CicVariant cic = CicVariant::k6102;
  ImageFault fault = ImageFault::kNone;
  // Levels shaped like the game's own where Velmo's rules depend on it, for
  // the tests of those rules: Facility, Silo, Caves and Bunker 2 with the
  // game's guard IDs, Facility's door decoder on pad 47 before guard 47's gun,
  // dual wielders, and starting weapons with an empty second field.
  bool gameLikeLevels = false;
  // Length of the file for ImageFault::kTruncated.
  std::uint32_t truncatedLength = 0x100000;
};

// Names used on the command line ("byte-swapped", "6102", "small").
std::string_view FaultName(ImageFault fault);
std::string_view CicName(CicVariant cic);
std::string_view LayoutName(Layout layout);
std::optional<ImageFault> FaultFromName(std::string_view name);
std::optional<CicVariant> CicFromName(std::string_view name);
std::optional<Layout> LayoutFromName(std::string_view name);

// The regions by their names on the command line: "na", "pal", "jp".
std::string_view RegionName(const RegionLayout& region);
const RegionLayout* RegionFromName(std::string_view name);

// The CRC-32 of the boot code that identifies the variant.
std::uint32_t BootCodeCrc(CicVariant cic);

}  // namespace velmo::image_builder
