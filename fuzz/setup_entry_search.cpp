#include "setup_entry_search.h"

#include "support/buffer_words.h"

namespace velmo::fuzz {
namespace {

constexpr std::uint32_t kFirstSetupAsset = 617;
constexpr std::uint32_t kFirstTextAsset = 638;
constexpr std::uint32_t kEntryBytes = 12;

bool RunStartsAt(std::span<const std::uint8_t> table, std::size_t position) {
  for (std::uint32_t asset = kFirstSetupAsset; asset <= kFirstTextAsset; ++asset) {
    const std::size_t word = position + (asset - kFirstSetupAsset) * std::size_t{kEntryBytes};
    if (word + 4 > table.size() || LoadBigEndian32(&table[word]) != asset) return false;
  }
  return true;
}

}  // namespace

std::optional<std::uint32_t> ExpectedSetupEntries(std::span<const std::uint8_t> table,
                                                  const RegionLayout& region) {
  if (region.setupEntriesPosition) return region.setupEntriesPosition;
  for (std::size_t position = 0; position + 4 <= table.size(); position += 4) {
    if (RunStartsAt(table, position)) return static_cast<std::uint32_t>(position);
  }
  return std::nullopt;
}

}  // namespace velmo::fuzz
