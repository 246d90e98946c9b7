#include "level_checks.h"

#include <algorithm>
#include <set>

#include "fuzz_support.h"
#include "level/setup_records.h"

namespace velmo::fuzz {
namespace {

template <typename Entry>
void AddExtents(std::vector<RecordExtent>& extents, const std::vector<Entry>& entries,
                std::size_t length) {
  for (const Entry& entry : entries) extents.push_back({entry.recordOffset, length});
}

template <typename Entry>
bool InFileOrder(const std::vector<Entry>& entries) {
  return std::is_sorted(entries.begin(), entries.end(), [](const Entry& a, const Entry& b) {
    return a.recordOffset < b.recordOffset;
  });
}

bool InsideAnyRecord(const std::vector<RecordExtent>& extents, std::size_t position) {
  return std::any_of(extents.begin(), extents.end(), [position](const RecordExtent& extent) {
    return position >= extent.offset && position - extent.offset < extent.length;
  });
}

std::set<std::size_t> NormalisedBytes(const GoldeneyeLevel& level) {
  std::set<std::size_t> bytes;
  for (const GuardEntry& guard : level.guards) {
    bytes.insert(guard.recordOffset + guard_record::kFlagsByte);
  }
  for (const WeaponEntry& weapon : level.weapons) {
    bytes.insert(weapon.recordOffset + weapon_record::kByte8);
  }
  for (const StartWeaponEntry& weapon : level.startWeapons) {
    for (std::size_t i = start_weapon_record::kFirstWeaponByte;
         i <= start_weapon_record::kSecondWeaponByte; ++i) {
      bytes.insert(weapon.recordOffset + i);
    }
  }
  return bytes;
}

}  // namespace

std::vector<RecordExtent> RecordExtents(const GoldeneyeLevel& level) {
  std::vector<RecordExtent> extents;
  AddExtents(extents, level.startWeapons, start_weapon_record::kLength);
  AddExtents(extents, level.startAmmo, start_ammo_record::kLength);
  AddExtents(extents, level.guards, guard_record::kLength);
  AddExtents(extents, level.weapons, weapon_record::kLength);
  AddExtents(extents, level.attachments, attachment_record::kLength);
  AddExtents(extents, level.props, prop_record::kLength);
  AddExtents(extents, level.keys, key_record::kLength);
  return extents;
}

void CheckParsedEntries(const GoldeneyeLevel& level) {
  for (const RecordExtent& extent : RecordExtents(level)) {
    Check(RecordFits(level.setupData.size(), extent.offset, extent.length),
          "a kept record runs past the end of the setup bytes");
  }
  Check(InFileOrder(level.guards) && InFileOrder(level.weapons) && InFileOrder(level.attachments) &&
            InFileOrder(level.props) && InFileOrder(level.keys) &&
            InFileOrder(level.startWeapons) && InFileOrder(level.startAmmo),
        "entries are not in file order");
}

void CheckUnchangedWriteBack(const GoldeneyeLevel& level, std::span<const std::uint8_t> original) {
  Check(level.setupData.size() == original.size(), "the write-back changed the file's length");
  const std::set<std::size_t> normalised = NormalisedBytes(level);
  for (std::size_t i = 0; i < original.size(); ++i) {
    if (level.setupData[i] == original[i]) continue;
    Check(normalised.count(i) != 0, "a write-back without changes altered a byte it keeps");
  }
}

void CheckChangesStayInRecords(const GoldeneyeLevel& level, std::span<const std::uint8_t> before) {
  Check(level.setupData.size() == before.size(), "the write-back changed the file's length");
  const std::vector<RecordExtent> extents = RecordExtents(level);
  for (std::size_t i = 0; i < before.size(); ++i) {
    if (level.setupData[i] == before[i]) continue;
    Check(InsideAnyRecord(extents, i), "a change landed outside every kept record");
  }
}

}  // namespace velmo::fuzz
