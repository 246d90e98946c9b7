#pragma once

#include <cstddef>
#include <cstdint>

namespace velmo {

// The layout of a level's inflated setup file as far as Velmo reads it, shared
// by the two parsers that copy record bytes into entries and by the write-back
// that stores them again, so both always agree on where a field lies. Byte n
// of a record is the byte n bytes after the record's first byte.

// Header words of the setup file: where the intro block and the object list start.
inline constexpr std::uint32_t kIntroBlockOffsetWord = 8;
inline constexpr std::uint32_t kObjectListOffsetWord = 12;

// Records of both lists start with four header bytes; byte 3 is the type code.
inline constexpr std::size_t kRecordHeaderLength = 4;
inline constexpr std::size_t kRecordTypeByte = 3;

// Whether `length` bytes from `offset` lie wholly inside a buffer of `size`
// bytes; written so that no sum can wrap.
inline bool RecordFits(std::size_t size, std::size_t offset, std::size_t length) {
  return offset <= size && length <= size - offset;
}

// Object record 0x09: a guard.
namespace guard_record {
inline constexpr std::size_t kLength = 28;
inline constexpr std::size_t kGuardIdByte = 5;
inline constexpr std::size_t kBodyTypeByte = 9;
inline constexpr std::size_t kByte10 = 10;
inline constexpr std::size_t kByte11 = 11;
// Bits 0 to 3 are the flags the model keeps; bits 4 to 7 belong to the level's
// setup and are written back as they were.
inline constexpr std::size_t kFlagsByte = 21;
inline constexpr std::uint8_t kModelFlagBits = 0x0F;
}  // namespace guard_record

// Object record 0x08: a weapon.
namespace weapon_record {
inline constexpr std::size_t kLength = 136;
inline constexpr std::size_t kModelByte = 5;
inline constexpr std::size_t kHolderByte = 7;
// The top byte of the flags word; a drawn hand is 0x00 (right) or 0x10 (left).
inline constexpr std::size_t kByte8 = 8;
inline constexpr std::uint8_t kByte8Set = 0x10;
inline constexpr std::size_t kWeaponIdByte = 128;
}  // namespace weapon_record

// Object record 0x11: an object attached to a guard.
namespace attachment_record {
inline constexpr std::size_t kLength = 128;
inline constexpr std::size_t kModelByte = 5;
inline constexpr std::size_t kHolderByte = 7;
}  // namespace attachment_record

// Object record 0x04: a key.
namespace key_record {
inline constexpr std::size_t kLength = 132;
inline constexpr std::size_t kModelByte = 5;
inline constexpr std::size_t kHolderByte = 7;
}  // namespace key_record

// Object record 0x03: a prop.
namespace prop_record {
inline constexpr std::size_t kLength = 128;
inline constexpr std::size_t kModelByte = 5;
}  // namespace prop_record

// Intro record 1: a starting weapon. Bytes 4 to 7 are the first field and
// bytes 8 to 11 the second; a second field of FF FF FF FF means "none".
namespace start_weapon_record {
inline constexpr std::size_t kLength = 16;
inline constexpr std::size_t kFirstWeaponByte = 7;
inline constexpr std::size_t kSecondFieldFirstByte = 8;
inline constexpr std::size_t kSecondWeaponByte = 11;
inline constexpr std::size_t kSetByte = 15;
inline constexpr std::uint8_t kNoWeapon = 0xFF;
}  // namespace start_weapon_record

// Intro record 2: starting ammunition.
namespace start_ammo_record {
inline constexpr std::size_t kLength = 16;
inline constexpr std::size_t kAmmoTypeByte = 7;
inline constexpr std::size_t kAmountByte = 11;
inline constexpr std::size_t kSetByte = 15;
}  // namespace start_ammo_record

}  // namespace velmo
