#pragma once

#include <cstdint>
#include <list>
#include <span>
#include <vector>

#include "level/level_catalogue.h"
#include "level/level_entries.h"
#include "level/level_report.h"
#include "support/byte_buffer.h"

namespace velmo {

class ConfigFile;
class RandomSource;
struct WeaponChoice;

// Weapon numbers up to the rocket launcher's (25) are firearms; above it come
// grenades, mines and gadgets such as Facility's door decoder. A record on a
// pad keeps the pad number's low byte where a held weapon names its holder,
// so a gadget can look like the gun of the guard with that ID.
inline constexpr std::uint32_t kLastFirearmWeaponId = 25;

// The three things FindGuardItems finds for a guard ID; each may be absent.
struct GuardItems {
  GuardEntry* guard = nullptr;
  WeaponEntry* weapon = nullptr;
  AttachmentEntry* attachment = nullptr;
};

// The in-memory model of one level's setup file. Owns a copy of the file's
// bytes and one entry per record the randomisers care about; the randomisers
// change entries only, and WriteBackToSetup stores them into the same bytes,
// so the file keeps its length and layout. Entry vectors are filled only by the
// two parsers and never grow afterwards, so pointers to entries (the spare
// lists, FindGuardItems) stay valid until the model is destroyed. Holds the
// run's configuration and random source by reference; both must outlive it.
class GoldeneyeLevel {
 public:
  GoldeneyeLevel(const ConfigFile& config, RandomSource& random,
                 std::span<const std::uint8_t> setupBytes, LevelId levelId);
  GoldeneyeLevel(const GoldeneyeLevel&) = delete;
  GoldeneyeLevel& operator=(const GoldeneyeLevel&) = delete;

  // Parsers: the intro block, then the object list.
  void ProcessStartingBlock();
  void ProcessSetupDataBlock();
  // Stores every entry back into setupData.
  void WriteBackToSetup();

  // The first guard with this ID, the first firearm and the first attachment
  // whose holder is this ID.
  GuardItems FindGuardItems(std::uint8_t guardId);

  // Randomisers, in the order a level runs them.
  void RandomiseStartingWeapons();
  void RandomiseGuardTypes();
  void RandomiseGuardWeapons();
  void AddNemesisCharacter();
  void ApplyLevelSpecificRandomisations();

  // Helpers of the randomisers.
  void GetWeaponsForRandomisation(WeaponChoice& primary, WeaponChoice& secondary,
                                  WeaponChoice& special);
  std::uint32_t GetOfficerBodyTypeFromCommonType(std::uint32_t bodyType);
  std::uint32_t GetAttachmentModelForBodyType(std::uint32_t bodyType);
  void GetNemesisWeapon(std::uint32_t& modelId, std::uint32_t& weaponId);
  std::uint32_t GetRandomKeyType();

  ByteBuffer setupData;
  LevelId levelId;
  std::vector<GuardEntry> guards;
  std::vector<WeaponEntry> weapons;
  std::vector<AttachmentEntry> attachments;
  std::list<WeaponEntry*> spareWeapons;
  std::list<AttachmentEntry*> spareAttachments;
  std::vector<PropEntry> props;
  std::vector<StartWeaponEntry> startWeapons;
  std::vector<StartAmmoEntry> startAmmo;
  std::vector<KeyEntry> keys;
  // What the randomisers did, filled as they run.
  LevelReport report;
  const ConfigFile& config;
  RandomSource& random;
};

// Character body types (6 to 16 and 79): the named characters that guard
// randomisation never changes.
bool IsCharacterBodyType(std::uint32_t bodyType);

}  // namespace velmo
