#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "level/goldeneye_level.h"

// What must hold for a level model whatever setup bytes it was built from.
namespace velmo::fuzz {

// Where one kept record lies in the setup bytes.
struct RecordExtent {
  std::uint32_t offset;
  std::size_t length;
};

std::vector<RecordExtent> RecordExtents(const GoldeneyeLevel& level);

// Every entry's record lies wholly inside the setup bytes, and each list of
// entries is in file order.
void CheckParsedEntries(const GoldeneyeLevel& level);

// A write-back after parsing alone keeps the file's length and changes only the
// bytes it normalises: guard flag bits 4 to 7, weapon byte 8, and the weapon
// fields of starting weapons.
void CheckUnchangedWriteBack(const GoldeneyeLevel& level, std::span<const std::uint8_t> original);

// The file keeps its length, and every byte that differs from `before` lies in
// one of the records the model kept.
void CheckChangesStayInRecords(const GoldeneyeLevel& level, std::span<const std::uint8_t> before);

}  // namespace velmo::fuzz
