#pragma once

#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

#include "level/level_catalogue.h"

namespace velmo {

// The loadout the player starts a level with, as the randomiser left it.
struct StartingLoadout {
  std::uint32_t weaponId = 0;
  std::uint32_t secondWeaponId = 0;  // the same weapon again, dual wielded; 0: none
  std::uint32_t ammoType = 0;
  std::uint32_t amount = 0;
};

// The three weapons drawn for a level's guards and how many guards got one.
struct GuardWeaponsReport {
  std::uint32_t primaryWeaponId = 0;
  std::uint32_t secondaryWeaponId = 0;
  std::uint32_t specialWeaponId = 0;
  std::uint32_t rearmedGuards = 0;
  std::uint32_t promotedGuards = 0;  // of the re-armed ones
};

enum class NemesisOutcome {
  kNotDrawn,      // the level's one-in-five draw said no
  kSwitchedOff,   // the configuration switched the Nemesis off
  kNeverInLevel,  // a level that never gets one
  kNoGuards,
  kNoCandidate,  // no ordinary armed guard could be converted
  kAdded,
};

struct NemesisReport {
  NemesisOutcome outcome = NemesisOutcome::kNotDrawn;
  std::uint8_t guardId = 0;
  std::uint32_t bodyType = 0;
  std::vector<std::uint32_t> weaponIds;  // a second one when a dropped weapon was free
};

// A key that went to a new holder.
struct KeyPlacement {
  std::string_view name;  // as the log lines name it, e.g. "keycard A"
  std::uint32_t holderId = 0;
  std::optional<std::uint32_t> modelId;  // Facility's keycards also change their look
};

// What the randomisers did to one level, for the spoiler log. Each randomiser
// fills its part from the model as it leaves it; the part of one that did not
// change the level stays empty.
struct LevelReport {
  LevelId levelId = 0;
  std::optional<StartingLoadout> loadout;
  std::optional<GuardWeaponsReport> guardWeapons;
  std::optional<std::uint32_t> guardTypeChanges;  // Facility, Silo and Caves
  NemesisReport nemesis;
  std::vector<KeyPlacement> keys;
  std::optional<std::uint32_t> cubaBody;
};

}  // namespace velmo
