#include "image_builder/setup_records.h"

#include <algorithm>
#include <stdexcept>

#include "support/buffer_words.h"

namespace velmo::image_builder {
namespace {

using enum RecordShape;

constexpr std::uint32_t kHeaderLength = 4;
constexpr std::uint32_t kGuardLength = 28;
constexpr std::uint32_t kWeaponLength = 136;
constexpr std::uint32_t kAttachmentLength = 128;
constexpr std::uint32_t kKeyLength = 132;
constexpr std::uint32_t kPropLength = 128;

ByteBuffer NewRecord(std::uint8_t type, std::uint32_t length) {
  ByteBuffer record(length, 0);
  record[3] = type;
  return record;
}

// One word of a record body: most are zero, the rest small counts, single
// flag bits or floats near 1.0, as in the game's object records.
std::uint32_t PlausibleWord(ContentRandom& random) {
  std::uint32_t kind = random.Below(32);
  if (kind < 25) return 0;
  if (kind < 29) return random.Below(8);
  if (kind < 31) return 1u << (4 * random.Below(8));
  return 0x3F800000u + (random.Below(4) << 20);
}

void FillPlausibleBody(ByteBuffer& record, std::uint32_t from, ContentRandom& random) {
  for (std::uint32_t offset = from; offset + 4 <= record.size(); offset += 4) {
    StoreBigEndian32(&record[offset], PlausibleWord(random));
  }
}

}  // namespace

const std::array<ObjectRecordType, 46> kObjectRecordTypes = {{
    {0x01, kFixed, 256},  {0x02, kFixed, 8},    {0x03, kFixed, 128},  {0x04, kFixed, 132},
    {0x05, kFixed, 128},  {0x06, kFixed, 236},  {0x07, kFixed, 132},  {0x08, kFixed, 136},
    {0x09, kFixed, 28},   {0x0A, kFixed, 256},  {0x0B, kFixed, 596},  {0x0C, kFixed, 128},
    {0x0D, kFixed, 216},  {0x0E, kFixed, 12},   {0x0F, kVariable, 0}, {0x10, kVariable, 0},
    {0x11, kFixed, 128},  {0x12, kFixed, 12},   {0x13, kFixed, 16},   {0x14, kFixed, 180},
    {0x15, kFixed, 136},  {0x16, kFixed, 16},   {0x17, kBlock, 0},    {0x19, kBlock, 0},
    {0x1A, kFixed, 16},   {0x1B, kVariable, 0}, {0x1C, kVariable, 0}, {0x1D, kVariable, 0},
    {0x1E, kVariable, 0}, {0x1F, kVariable, 0}, {0x20, kVariable, 0}, {0x21, kFixed, 40},
    {0x22, kVariable, 0}, {0x23, kFixed, 16},   {0x24, kFixed, 128},  {0x25, kFixed, 40},
    {0x26, kFixed, 16},   {0x27, kFixed, 176},  {0x28, kFixed, 180},  {0x29, kVariable, 0},
    {0x2A, kFixed, 128},  {0x2B, kFixed, 128},  {0x2C, kFixed, 20},   {0x2D, kFixed, 224},
    {0x2E, kFixed, 28},   {0x2F, kFixed, 148},
}};

ByteBuffer MakeGuardRecord(const GuardFields& fields, ContentRandom& random) {
  ByteBuffer record = NewRecord(object_type::kGuard, kGuardLength);
  record[5] = fields.guardId;
  record[6] = static_cast<std::uint8_t>(random.Below(4));  // pad number
  record[7] = random.Byte();
  record[9] = fields.bodyType;
  record[10] = fields.byte10;
  record[11] = fields.byte11;
  record[12] = 0x04;  // AI list number
  record[13] = random.Byte();
  record[14] = 0xFF;  // no preset to trigger
  record[15] = 0xFF;
  StoreBigEndian32(&record[16], 0x43000000u + (random.Below(128) << 16));  // clipping height
  record[21] = fields.flags;
  record[23] = static_cast<std::uint8_t>(random.Below(100));  // accuracy
  return record;
}

ByteBuffer MakeWeaponRecord(const WeaponFields& fields, ContentRandom& random) {
  ByteBuffer record = NewRecord(object_type::kWeapon, kWeaponLength);
  record[0] = 0x01;  // scale 1.0 in the game's 8.8 format
  record[5] = fields.modelId;
  record[7] = fields.holderId;
  record[8] = fields.byte8;
  FillPlausibleBody(record, 12, random);
  record[128] = fields.weaponId;
  record[129] = 0;
  record[130] = static_cast<std::uint8_t>(random.Below(32));  // ammunition
  record[131] = 0;
  StoreBigEndian32(&record[132], 0);
  return record;
}

ByteBuffer MakeAttachmentRecord(std::uint8_t modelId, std::uint8_t holderId,
                                ContentRandom& random) {
  ByteBuffer record = NewRecord(object_type::kAttachment, kAttachmentLength);
  record[0] = 0x01;
  record[5] = modelId;
  record[7] = holderId;
  FillPlausibleBody(record, 12, random);
  return record;
}

ByteBuffer MakeKeyRecord(std::uint8_t modelId, std::uint8_t holderId, ContentRandom& random) {
  ByteBuffer record = NewRecord(object_type::kKey, kKeyLength);
  record[0] = 0x01;
  record[5] = modelId;
  record[7] = holderId;
  FillPlausibleBody(record, 12, random);
  StoreBigEndian32(&record[128], 1u << random.Below(8));  // key bit
  return record;
}

ByteBuffer MakePropRecord(std::uint8_t modelId, ContentRandom& random) {
  ByteBuffer record = NewRecord(object_type::kProp, kPropLength);
  record[0] = 0x01;
  record[5] = modelId;
  record[6] = static_cast<std::uint8_t>(random.Below(4));  // pad number
  record[7] = random.Byte();
  FillPlausibleBody(record, 8, random);
  return record;
}

ByteBuffer MakeSkippedRecord(const ObjectRecordType& type, ContentRandom& random) {
  if (type.shape == kVariable) {
    std::uint32_t length = 4 * random.Between(2, 40);
    ByteBuffer record = NewRecord(type.code, length);
    record[0] = static_cast<std::uint8_t>(length >> 8);
    record[1] = static_cast<std::uint8_t>(length);
    FillPlausibleBody(record, kHeaderLength, random);
    return record;
  }
  ByteBuffer record = NewRecord(type.code, type.length);
  if (type.length >= 8) {
    record[5] = random.Byte();
    record[7] = random.Byte();
  }
  FillPlausibleBody(record, 8, random);
  return record;
}

std::optional<ByteBuffer> MakeBlock(std::uint8_t code, std::span<const ByteBuffer> innerRecords,
                                    ContentRandom& random) {
  ByteBuffer block = NewRecord(code, BlockOpenerLength(code));
  block[5] = static_cast<std::uint8_t>(innerRecords.size());
  block[7] = static_cast<std::uint8_t>(1 + random.Below(200));
  for (const ByteBuffer& record : innerRecords)
    block.insert(block.end(), record.begin(), record.end());
  if (FindBlockEnd(block)) return std::nullopt;
  ByteBuffer end = NewRecord(object_type::kBlockEnd, kHeaderLength);
  block.insert(block.end(), end.begin(), end.end());
  return block;
}

ByteBuffer MakeEndOfListRecord() {
  return NewRecord(object_type::kEndOfList, kHeaderLength);
}

const ObjectRecordType& ObjectRecordTypeOf(std::uint8_t code) {
  for (const ObjectRecordType& type : kObjectRecordTypes) {
    if (type.code == code) return type;
  }
  throw std::logic_error("no object record type with this code");
}

std::uint32_t BlockOpenerLength(std::uint8_t code) {
  return code == object_type::kTagBlock ? 16 : 12;
}

ByteBuffer MakeIntroRecord(std::uint8_t type, ContentRandom& random) {
  ByteBuffer record = NewRecord(type, kIntroRecordLengths.at(type));
  for (std::uint32_t offset = 4; offset + 4 <= record.size(); offset += 4) {
    StoreBigEndian32(&record[offset], random.OneIn(2) ? random.Below(0x400) : 0);
  }
  return record;
}

ByteBuffer MakeStartWeaponRecord(std::uint8_t weaponId, std::optional<std::uint8_t> secondWeapon,
                                 std::uint8_t set) {
  ByteBuffer record = NewRecord(intro_type::kStartWeapon, 16);
  record[7] = weaponId;
  if (secondWeapon) {
    record[11] = *secondWeapon;
  } else {
    std::fill(record.begin() + 8, record.begin() + 12, std::uint8_t{0xFF});
  }
  record[15] = set;
  return record;
}

ByteBuffer MakeStartAmmoRecord(std::uint8_t ammoType, std::uint8_t amount, std::uint8_t set) {
  ByteBuffer record = NewRecord(intro_type::kStartAmmo, 16);
  record[7] = ammoType;
  record[11] = amount;
  record[15] = set;
  return record;
}

ByteBuffer MakeCreditsRecord(ContentRandom& random) {
  ByteBuffer record = NewRecord(intro_type::kCredits, 4 + 8 * 12);
  for (std::uint32_t offset = 4; offset + 8 <= record.size(); offset += 8) {
    StoreBigEndian32(&record[offset], 0x9C00 + random.Below(0x200));  // text number
    StoreBigEndian32(&record[offset + 4], random.Below(4));           // alignment
  }
  return record;
}

ByteBuffer MakeIntroEndRecord() {
  return NewRecord(intro_type::kEnd, kHeaderLength);
}

std::optional<std::size_t> FindBlockEnd(std::span<const std::uint8_t> bytes) {
  constexpr std::array<std::uint8_t, 4> kEnd = {0, 0, 0, object_type::kBlockEnd};
  auto found = std::search(bytes.begin(), bytes.end(), kEnd.begin(), kEnd.end());
  if (found == bytes.end()) return std::nullopt;
  return static_cast<std::size_t>(found - bytes.begin());
}

}  // namespace velmo::image_builder
