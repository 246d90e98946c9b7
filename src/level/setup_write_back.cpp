// Stores the model's entries into the record bytes they were read from. Only
// the bytes each entry owns change, so the setup file keeps its length and
// layout.

#include <string>

#include "level/goldeneye_level.h"
#include "level/setup_records.h"
#include "support/logger.h"
#include "support/number_text.h"

namespace velmo {
namespace {

// The first byte of an entry's record when the whole record lies in the
// setup data. Entries come from the parsers, which keep only whole records,
// so a miss means the model was damaged; it is reported and nothing is written.
std::uint8_t* RecordBytes(ByteBuffer& data, std::uint32_t recordOffset, std::size_t length) {
  if (!RecordFits(data.size(), recordOffset, length)) {
    LogError("GoldeneyeLevel::WriteBackToSetup(): Entry for the record at offset [" +
             DecimalText(recordOffset) + "] lies outside the setup data and was not written!");
    return nullptr;
  }
  return data.data() + recordOffset;
}

std::uint8_t Low8(std::uint32_t value) {
  return static_cast<std::uint8_t>(value);
}

void Store(ByteBuffer& data, const StartWeaponEntry& entry) {
  using namespace start_weapon_record;
  std::uint8_t* record = RecordBytes(data, entry.recordOffset, kLength);
  if (!record) return;
  record[kFirstWeaponByte] = Low8(entry.weaponId);
  // The second field is either all FF (no second weapon) or 00 00 00 id.
  const bool hasSecond = entry.secondWeaponId != 0;
  for (std::size_t i = kSecondFieldFirstByte; i < kSecondWeaponByte; ++i) {
    record[i] = hasSecond ? 0x00 : kNoWeapon;
  }
  record[kSecondWeaponByte] = hasSecond ? Low8(entry.secondWeaponId) : kNoWeapon;
  record[kSetByte] = Low8(entry.set);
}

void Store(ByteBuffer& data, const StartAmmoEntry& entry) {
  using namespace start_ammo_record;
  std::uint8_t* record = RecordBytes(data, entry.recordOffset, kLength);
  if (!record) return;
  record[kAmmoTypeByte] = Low8(entry.ammoType);
  record[kAmountByte] = Low8(entry.amount);
  record[kSetByte] = Low8(entry.set);
}

void Store(ByteBuffer& data, const GuardEntry& entry) {
  using namespace guard_record;
  std::uint8_t* record = RecordBytes(data, entry.recordOffset, kLength);
  if (!record) return;
  record[kGuardIdByte] = entry.guardId;
  record[kBodyTypeByte] = Low8(entry.bodyType);
  record[kByte10] = entry.byte10;
  record[kByte11] = entry.byte11;
  // The model keeps the four low flag bits; the high four stay as the file has them.
  record[kFlagsByte] = static_cast<std::uint8_t>(
      (record[kFlagsByte] & ~kModelFlagBits) | (entry.flagBit0 ? 0x01 : 0) |
      (entry.flagBit1 ? 0x02 : 0) | (entry.flagBit2 ? 0x04 : 0) | (entry.flagBit3 ? 0x08 : 0));
}

void Store(ByteBuffer& data, const WeaponEntry& entry) {
  using namespace weapon_record;
  std::uint8_t* record = RecordBytes(data, entry.recordOffset, kLength);
  if (!record) return;
  record[kModelByte] = Low8(entry.modelId);
  record[kHolderByte] = entry.holderId;
  if (entry.byte8Drawn) record[kByte8] = entry.byte8Clear ? 0x00 : kByte8Set;
  record[kWeaponIdByte] = Low8(entry.weaponId);
}

void Store(ByteBuffer& data, const AttachmentEntry& entry) {
  using namespace attachment_record;
  std::uint8_t* record = RecordBytes(data, entry.recordOffset, kLength);
  if (!record) return;
  record[kModelByte] = Low8(entry.modelId);
  record[kHolderByte] = entry.holderId;
}

void Store(ByteBuffer& data, const PropEntry& entry) {
  using namespace prop_record;
  std::uint8_t* record = RecordBytes(data, entry.recordOffset, kLength);
  if (!record) return;
  record[kModelByte] = Low8(entry.modelId);
}

void Store(ByteBuffer& data, const KeyEntry& entry) {
  using namespace key_record;
  std::uint8_t* record = RecordBytes(data, entry.recordOffset, kLength);
  if (!record) return;
  record[kModelByte] = Low8(entry.modelId);
  record[kHolderByte] = Low8(entry.holderId);
}

template <typename Entry>
void StoreAll(ByteBuffer& data, const std::vector<Entry>& entries) {
  for (const Entry& entry : entries) Store(data, entry);
}

}  // namespace

void GoldeneyeLevel::WriteBackToSetup() {
  // Records of the two lists never share bytes in a sound file; the fixed
  // order decides which write wins in one that is not.
  StoreAll(setupData, startWeapons);
  StoreAll(setupData, startAmmo);
  StoreAll(setupData, guards);
  StoreAll(setupData, weapons);
  StoreAll(setupData, attachments);
  StoreAll(setupData, props);
  StoreAll(setupData, keys);
}

}  // namespace velmo
