#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <ostream>
#include <string>
#include <tuple>
#include <vector>

#include "harness/recording_console.h"
#include "harness/temp_dir.h"
#include "level/goldeneye_level.h"
#include "randomise/random_source.h"
#include "support/config_file.h"

// Field-by-field comparison and printing of level entries, so a test can state
// the whole expected model and see exactly which field differs.
namespace velmo {

inline auto Fields(const GuardEntry& e) {
  return std::tie(e.recordOffset, e.bodyType, e.flagBit0, e.flagBit1, e.flagBit2, e.flagBit3,
                  e.guardId, e.byte10, e.byte11);
}
inline auto Fields(const WeaponEntry& e) {
  return std::tie(e.recordOffset, e.modelId, e.weaponId, e.byte8Clear, e.holderId);
}
inline auto Fields(const AttachmentEntry& e) {
  return std::tie(e.recordOffset, e.holderId, e.modelId);
}
inline auto Fields(const KeyEntry& e) {
  return std::tie(e.recordOffset, e.holderId, e.modelId);
}
inline auto Fields(const PropEntry& e) {
  return std::tie(e.recordOffset, e.modelId);
}
inline auto Fields(const StartWeaponEntry& e) {
  return std::tie(e.recordOffset, e.weaponId, e.secondWeaponId, e.set);
}
inline auto Fields(const StartAmmoEntry& e) {
  return std::tie(e.recordOffset, e.ammoType, e.amount, e.set);
}

template <typename Entry>
concept LevelEntry = requires(const Entry& e) {
  Fields(e);
};

template <LevelEntry Entry>
bool operator==(const Entry& a, const Entry& b) {
  return Fields(a) == Fields(b);
}

inline void PrintTo(const GuardEntry& e, std::ostream* os) {
  *os << "Guard{offset " << e.recordOffset << ", id " << unsigned{e.guardId} << ", body "
      << e.bodyType << ", flags " << e.flagBit0 << e.flagBit1 << e.flagBit2 << e.flagBit3
      << ", bytes10/11 " << unsigned{e.byte10} << "/" << unsigned{e.byte11} << "}";
}
inline void PrintTo(const WeaponEntry& e, std::ostream* os) {
  *os << "Weapon{offset " << e.recordOffset << ", holder " << unsigned{e.holderId} << ", model "
      << e.modelId << ", weapon " << e.weaponId << ", byte8Clear " << e.byte8Clear << "}";
}
inline void PrintTo(const AttachmentEntry& e, std::ostream* os) {
  *os << "Attachment{offset " << e.recordOffset << ", holder " << unsigned{e.holderId} << ", model "
      << e.modelId << "}";
}
inline void PrintTo(const KeyEntry& e, std::ostream* os) {
  *os << "Key{offset " << e.recordOffset << ", holder " << e.holderId << ", model " << e.modelId
      << "}";
}
inline void PrintTo(const PropEntry& e, std::ostream* os) {
  *os << "Prop{offset " << e.recordOffset << ", model " << e.modelId << "}";
}
inline void PrintTo(const StartWeaponEntry& e, std::ostream* os) {
  *os << "StartWeapon{offset " << e.recordOffset << ", weapon " << e.weaponId << ", second "
      << e.secondWeaponId << ", set " << e.set << "}";
}
inline void PrintTo(const StartAmmoEntry& e, std::ostream* os) {
  *os << "StartAmmo{offset " << e.recordOffset << ", type " << e.ammoType << ", amount " << e.amount
      << ", set " << e.set << "}";
}

}  // namespace velmo

namespace velmo::testing {

// Entry builders; every record gets its own offset so entries never compare
// equal by accident.
inline GuardEntry Guard(std::uint8_t guardId, std::uint32_t bodyType) {
  GuardEntry guard;
  guard.recordOffset = 0x1000u + guardId * 0x10u;
  guard.guardId = guardId;
  guard.bodyType = bodyType;
  guard.flagBit3 = true;
  guard.byte10 = 0x12;
  guard.byte11 = 0x34;
  return guard;
}

inline WeaponEntry Weapon(std::uint8_t holderId, std::uint32_t modelId, std::uint32_t weaponId) {
  static std::uint32_t nextOffset = 0x4000;
  WeaponEntry weapon;
  weapon.recordOffset = nextOffset += 0x90;
  weapon.holderId = holderId;
  weapon.modelId = modelId;
  weapon.weaponId = weaponId;
  weapon.byte8Clear = true;
  return weapon;
}

inline AttachmentEntry Attachment(std::uint8_t holderId, std::uint32_t modelId) {
  static std::uint32_t nextOffset = 0x8000;
  AttachmentEntry attachment;
  attachment.recordOffset = nextOffset += 0x30;
  attachment.holderId = holderId;
  attachment.modelId = modelId;
  return attachment;
}

inline KeyEntry Key(std::uint32_t holderId, std::uint32_t modelId) {
  static std::uint32_t nextOffset = 0xC000;
  KeyEntry key;
  key.recordOffset = nextOffset += 0x84;
  key.holderId = holderId;
  key.modelId = modelId;
  return key;
}

// Everything a randomiser may touch, with the spare lists as positions in the
// weapon and attachment vectors.
struct LevelState {
  std::vector<GuardEntry> guards;
  std::vector<WeaponEntry> weapons;
  std::vector<AttachmentEntry> attachments;
  std::vector<std::size_t> spareWeapons;
  std::vector<std::size_t> spareAttachments;
  std::vector<PropEntry> props;
  std::vector<StartWeaponEntry> startWeapons;
  std::vector<StartAmmoEntry> startAmmo;
  std::vector<KeyEntry> keys;
  std::vector<std::uint8_t> setupData;
};

inline LevelState CaptureState(const GoldeneyeLevel& level) {
  LevelState state{level.guards, level.weapons,  level.attachments,  {},
                   {},           level.props,    level.startWeapons, level.startAmmo,
                   level.keys,   level.setupData};
  for (const WeaponEntry* weapon : level.spareWeapons) {
    state.spareWeapons.push_back(static_cast<std::size_t>(weapon - level.weapons.data()));
  }
  for (const AttachmentEntry* attachment : level.spareAttachments) {
    state.spareAttachments.push_back(
        static_cast<std::size_t>(attachment - level.attachments.data()));
  }
  return state;
}

// Checks the level against the expected state, member by member.
inline void ExpectState(const GoldeneyeLevel& level, const LevelState& expected) {
  const LevelState actual = CaptureState(level);
  EXPECT_EQ(actual.guards, expected.guards);
  EXPECT_EQ(actual.weapons, expected.weapons);
  EXPECT_EQ(actual.attachments, expected.attachments);
  EXPECT_EQ(actual.spareWeapons, expected.spareWeapons);
  EXPECT_EQ(actual.spareAttachments, expected.spareAttachments);
  EXPECT_EQ(actual.props, expected.props);
  EXPECT_EQ(actual.startWeapons, expected.startWeapons);
  EXPECT_EQ(actual.startAmmo, expected.startAmmo);
  EXPECT_EQ(actual.keys, expected.keys);
  EXPECT_EQ(actual.setupData, expected.setupData);
}

// A configuration file in a fresh directory and a console that records every
// log line while the test runs.
class RandomiserTest : public ::testing::Test {
 protected:
  GoldeneyeLevel MakeLevel(LevelId levelId, RandomSource& random) {
    static const std::uint8_t kSetupBytes[] = {0xAB, 0xCD, 0xEF, 0x01};
    return GoldeneyeLevel(*config, random, kSetupBytes, levelId);
  }

  void UseConfig(const std::string& text) {
    config.reset();
    WriteTextFile(configPath, text);
    config = std::make_unique<ConfigFile>(configPath);
  }

  std::vector<std::string> Lines() const { return console.Lines(); }

  TempDir dir;
  std::string configPath = dir.File("Velmo.ini");
  std::unique_ptr<ConfigFile> config = std::make_unique<ConfigFile>(configPath);
  RecordingConsole console;
};

}  // namespace velmo::testing
