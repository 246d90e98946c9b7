#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>

#include "image_builder/content_random.h"
#include "support/byte_buffer.h"

// Records of a level's setup file, built one at a time as byte buffers. Every
// record begins with four header bytes whose last byte is the type code; the
// bytes Velmo reads and writes sit at the places the game keeps them, the rest
// is plausible filler (mostly zero words, small numbers, flags and floats).
namespace velmo::image_builder {

// Object list.
enum class RecordShape { kFixed, kVariable, kBlock, kEnd };

struct ObjectRecordType {
  std::uint8_t code;
  RecordShape shape;
  std::uint32_t length;  // fixed-length records only
};

// Every type the generator writes into an object list (0x00 and a lone 0x18
// never appear in a sound file).
extern const std::array<ObjectRecordType, 46> kObjectRecordTypes;

namespace object_type {
inline constexpr std::uint8_t kProp = 0x03;
inline constexpr std::uint8_t kKey = 0x04;
inline constexpr std::uint8_t kWeapon = 0x08;
inline constexpr std::uint8_t kGuard = 0x09;
inline constexpr std::uint8_t kAttachment = 0x11;
inline constexpr std::uint8_t kTagBlock = 0x17;
inline constexpr std::uint8_t kBlockEnd = 0x18;
inline constexpr std::uint8_t kObjectiveBlock = 0x19;
inline constexpr std::uint8_t kEndOfList = 0x30;
}  // namespace object_type

inline constexpr std::uint8_t kNoHolder = 255;

struct GuardFields {
  std::uint8_t guardId = 0;   // byte 5
  std::uint8_t bodyType = 0;  // byte 9
  std::uint8_t byte10 = 0;
  std::uint8_t byte11 = 0;
  std::uint8_t flags = 0;  // byte 21
};

struct WeaponFields {
  std::uint8_t modelId = 0;   // byte 5
  std::uint8_t holderId = 0;  // byte 7
  std::uint8_t byte8 = 0;
  std::uint8_t weaponId = 0;  // byte 128
};

ByteBuffer MakeGuardRecord(const GuardFields& fields, ContentRandom& random);
ByteBuffer MakeWeaponRecord(const WeaponFields& fields, ContentRandom& random);
// Attachments (0x11) and keys (0x04): model at byte 5, holder at byte 7.
ByteBuffer MakeAttachmentRecord(std::uint8_t modelId, std::uint8_t holderId, ContentRandom& random);
ByteBuffer MakeKeyRecord(std::uint8_t modelId, std::uint8_t holderId, ContentRandom& random);
ByteBuffer MakePropRecord(std::uint8_t modelId, ContentRandom& random);
// A record Velmo steps over: fixed length from the table, or a variable
// length (multiple of four) stored in bytes 0 and 1.
ByteBuffer MakeSkippedRecord(const ObjectRecordType& type, ContentRandom& random);
// A 0x17 or 0x19 block: its opening record, the given inner records and the
// closing bytes 00 00 00 18. Returns nothing when those four bytes would occur
// earlier in the block, which would end it too soon.
std::optional<ByteBuffer> MakeBlock(std::uint8_t code, std::span<const ByteBuffer> innerRecords,
                                    ContentRandom& random);
ByteBuffer MakeEndOfListRecord();

// The object-list type with this code; the code must be one of the table's.
const ObjectRecordType& ObjectRecordTypeOf(std::uint8_t code);
// Length of a block's opening record; the inner records follow it.
std::uint32_t BlockOpenerLength(std::uint8_t code);

// Intro block.
namespace intro_type {
inline constexpr std::uint8_t kStartWeapon = 1;
inline constexpr std::uint8_t kStartAmmo = 2;
inline constexpr std::uint8_t kCredits = 8;
inline constexpr std::uint8_t kEnd = 9;
}  // namespace intro_type

// Lengths of intro record types 0 to 7.
inline constexpr std::array<std::uint32_t, 8> kIntroRecordLengths = {12, 16, 16, 32, 8, 8, 40, 12};

// Intro types 0 and 3 to 7, which Velmo steps over.
ByteBuffer MakeIntroRecord(std::uint8_t type, ContentRandom& random);
// Bytes 8 to 11 are FF FF FF FF without a second weapon, else 00 00 00 id.
ByteBuffer MakeStartWeaponRecord(std::uint8_t weaponId, std::optional<std::uint8_t> secondWeapon,
                                 std::uint8_t set);
ByteBuffer MakeStartAmmoRecord(std::uint8_t ammoType, std::uint8_t amount, std::uint8_t set);
// Cuba's credits: the type 8 record followed by its list of credit texts.
ByteBuffer MakeCreditsRecord(ContentRandom& random);
ByteBuffer MakeIntroEndRecord();

// Whether the four bytes 00 00 00 18 occur anywhere in bytes.
std::optional<std::size_t> FindBlockEnd(std::span<const std::uint8_t> bytes);

}  // namespace velmo::image_builder
