#pragma once

#include <cstdint>

namespace velmo {

// Each entry remembers where its record starts in the level's setup bytes
// (recordOffset) and copies the few record bytes the randomisers may change.
// The write-back stores every field into the byte it came from, truncated to
// eight bits.

// Object record 0x09: a guard.
struct GuardEntry {
  std::uint32_t recordOffset = 0;
  std::uint32_t bodyType = 0;  // byte 9
  bool flagBit0 = false;       // bits 0..3 of byte 21; bits 4..7 are setup flags kept as read
  bool flagBit1 = false;
  bool flagBit2 = false;
  bool flagBit3 = false;
  std::uint8_t guardId = 0;  // byte 5: how keys, weapons and attachments name their holder
  std::uint8_t byte10 = 0;   // byte 10
  std::uint8_t byte11 = 0;   // byte 11
};

// Object record 0x08: a weapon, held by a guard or lying in the level.
struct WeaponEntry {
  std::uint32_t recordOffset = 0;
  std::uint32_t modelId = 0;   // byte 5
  std::uint32_t weaponId = 0;  // byte 128
  bool byte8Clear = false;     // byte 8 is 0x00
  std::uint8_t holderId = 0;   // byte 7; 255 = nobody
  // Byte 8 is the top byte of the object's flags word: 0x10 puts a gun in the
  // left hand, 0x80 pairs it with the first gun of a dual wielder, 0x40 marks
  // it empty, and gadgets carry flags of their own. Only a randomiser that
  // draws the hand sets this; then byte 8 is written as 0x00 (byte8Clear) or
  // 0x10. Every other record keeps its byte 8.
  bool byte8Drawn = false;
};

// Object record 0x11: an object attached to a guard (hat, armour).
struct AttachmentEntry {
  std::uint32_t recordOffset = 0;
  std::uint8_t holderId = 0;  // byte 7; 255 = nobody
  std::uint32_t modelId = 0;  // byte 5
};

// Object record 0x04: a key.
struct KeyEntry {
  std::uint32_t recordOffset = 0;
  std::uint32_t holderId = 0;  // byte 7
  std::uint32_t modelId = 0;   // byte 5
};

// Object record 0x03: a prop; collected but never changed.
struct PropEntry {
  std::uint32_t recordOffset = 0;
  std::uint32_t modelId = 0;  // byte 5
};

// Intro record 1: a weapon the player starts with.
struct StartWeaponEntry {
  std::uint32_t recordOffset = 0;
  std::uint32_t weaponId = 0;        // byte 11 unless it is 0xFF, then byte 7
  std::uint32_t secondWeaponId = 0;  // 0: none (bytes 8..11 = FF); else bytes 8..10 = 0, 11 = id
  std::uint16_t set = 0;             // byte 15
};

// Intro record 2: ammunition the player starts with.
struct StartAmmoEntry {
  std::uint32_t recordOffset = 0;
  std::uint32_t ammoType = 0;  // byte 7
  std::uint16_t amount = 0;    // byte 11
  std::uint16_t set = 0;       // byte 15
};

}  // namespace velmo
