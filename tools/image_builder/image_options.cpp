#include "image_builder/image_options.h"

#include <utility>

namespace velmo::image_builder {
namespace {

constexpr std::array<std::pair<ImageFault, std::string_view>, kAllFaults.size()> kFaultNames = {{
    {ImageFault::kNone, "none"},
    {ImageFault::kByteSwapped, "byte-swapped"},
    {ImageFault::kOtherRegion, "other-region"},
    {ImageFault::kNonZeroVersion, "non-zero-version"},
    {ImageFault::kWrongName, "wrong-name"},
    {ImageFault::kTruncated, "truncated"},
    {ImageFault::kWrongFirstTableWord, "wrong-first-table-word"},
    {ImageFault::kSetupAssetIdOutOfRange, "setup-id-out-of-range"},
    {ImageFault::kRepeatedSetupAssetId, "repeated-setup-id"},
    {ImageFault::kSetupOffsetPastBound, "setup-offset-past-bound"},
    {ImageFault::kWrongFirstTextWord, "wrong-first-text-word"},
    {ImageFault::kTextPairOutOfOrder, "text-pair-out-of-order"},
    {ImageFault::kSetupDoesNotInflate, "setup-does-not-inflate"},
    {ImageFault::kSetupLargerThanSpace, "setup-larger-than-space"},
    {ImageFault::kTableOverflowsOnRewrite, "table-overflows-on-rewrite"},
}};

struct CicInfo {
  CicVariant cic;
  std::string_view name;
  std::uint32_t bootCodeCrc;
};

// The unknown variant's CRC-32 is any value outside the five known ones.
constexpr std::array<CicInfo, kAllCicVariants.size()> kCicInfo = {{
    {CicVariant::k6101, "6101", 0x6170A4A1},
    {CicVariant::k6102, "6102", 0x90BB6CB5},
    {CicVariant::k6103, "6103", 0x0B050EE0},
    {CicVariant::k6105, "6105", 0x98BC2C86},
    {CicVariant::k6106, "6106", 0xACC8580A},
    {CicVariant::kUnknown, "unknown", 0x0BADB007},
}};

constexpr std::array<std::pair<Layout, std::string_view>, 2> kLayoutNames = {{
    {Layout::kSmall, "small"},
    {Layout::kRealistic, "realistic"},
}};

constexpr std::array<std::pair<const RegionLayout*, std::string_view>, 3> kRegionNames = {{
    {&region::kNorthAmerica, "na"},
    {&region::kEurope, "pal"},
    {&region::kJapan, "jp"},
}};

template <typename Table, typename Key>
std::string_view NameOf(const Table& table, Key key) {
  for (const auto& [value, name] : table) {
    if (value == key) return name;
  }
  return "?";
}

template <typename Key, typename Table>
std::optional<Key> ValueOf(const Table& table, std::string_view name) {
  for (const auto& [value, valueName] : table) {
    if (valueName == name) return value;
  }
  return std::nullopt;
}

}  // namespace

std::string_view FaultName(ImageFault fault) {
  return NameOf(kFaultNames, fault);
}

std::string_view LayoutName(Layout layout) {
  return NameOf(kLayoutNames, layout);
}

std::string_view CicName(CicVariant cic) {
  for (const CicInfo& info : kCicInfo) {
    if (info.cic == cic) return info.name;
  }
  return "?";
}

std::optional<ImageFault> FaultFromName(std::string_view name) {
  return ValueOf<ImageFault>(kFaultNames, name);
}

std::optional<Layout> LayoutFromName(std::string_view name) {
  return ValueOf<Layout>(kLayoutNames, name);
}

std::string_view RegionName(const RegionLayout& region) {
  return NameOf(kRegionNames, &region);
}

const RegionLayout* RegionFromName(std::string_view name) {
  return ValueOf<const RegionLayout*>(kRegionNames, name).value_or(nullptr);
}

std::optional<CicVariant> CicFromName(std::string_view name) {
  for (const CicInfo& info : kCicInfo) {
    if (info.name == name) return info.cic;
  }
  return std::nullopt;
}

std::uint32_t BootCodeCrc(CicVariant cic) {
  for (const CicInfo& info : kCicInfo) {
    if (info.cic == cic) return info.bootCodeCrc;
  }
  return kCicInfo.back().bootCodeCrc;
}

}  // namespace velmo::image_builder
