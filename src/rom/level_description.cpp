#include "rom/level_description.h"

#include <cctype>

#include "randomise/game_names.h"
#include "randomise/guard_type_swap.h"

namespace velmo {
namespace {

constexpr std::string_view kIndent = "  ";

std::string Line(std::string_view text) {
  return std::string(kIndent) + std::string(text) + "\n";
}

std::string DescribeLoadout(const std::optional<StartingLoadout>& loadout) {
  if (!loadout) return Line("Starting loadout: left alone");
  const std::string dual = loadout->secondWeaponId != 0 ? " x2" : "";
  return Line("Starting loadout: " + WeaponName(loadout->weaponId) + dual + ", " +
              std::to_string(loadout->amount) + " " + AmmunitionName(loadout->ammoType));
}

std::string DescribeGuardWeapons(const std::optional<GuardWeaponsReport>& weapons) {
  if (!weapons) return Line("Guard weapons: left alone");
  return Line("Guard weapons: primary " + WeaponName(weapons->primaryWeaponId) + ", secondary " +
              WeaponName(weapons->secondaryWeaponId) + ", special " +
              WeaponName(weapons->specialWeaponId)) +
         Line("Guards re-armed: " + std::to_string(weapons->rearmedGuards) +
              ", of them promoted: " + std::to_string(weapons->promotedGuards));
}

std::string DescribeNemesis(const NemesisReport& nemesis) {
  switch (nemesis.outcome) {
    case NemesisOutcome::kNotDrawn:
      return Line("Nemesis: none, not drawn for this level");
    case NemesisOutcome::kSwitchedOff:
      return Line("Nemesis: none, switched off");
    case NemesisOutcome::kNeverInLevel:
      return Line("Nemesis: none, this level never has one");
    case NemesisOutcome::kNoGuards:
      return Line("Nemesis: none, the level has no guards");
    case NemesisOutcome::kNoCandidate:
      return Line("Nemesis: none, no ordinary armed guard could be converted");
    case NemesisOutcome::kAdded:
      break;
  }
  std::string weapons;
  for (const std::uint32_t weaponId : nemesis.weaponIds) {
    weapons += (weapons.empty() ? "" : " and ") + WeaponName(weaponId);
  }
  return Line("Nemesis: guard " + std::to_string(nemesis.guardId) + " as " +
              CharacterName(nemesis.bodyType) + " with " + weapons);
}

std::string DescribeKey(const KeyPlacement& key) {
  std::string name(key.name);
  if (!name.empty()) name[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(name[0])));
  std::string text = name + ": guard " + std::to_string(key.holderId);
  if (key.modelId) text += ", key model " + std::to_string(*key.modelId);
  return Line(text);
}

std::string DescribeLevelSpecific(const LevelReport& report) {
  switch (report.levelId) {
    case level::kFacility:
    case level::kBunker2: {
      if (report.keys.empty()) return Line("Keys: left where they were");
      std::string text;
      for (const KeyPlacement& key : report.keys) text += DescribeKey(key);
      return text;
    }
    case level::kCuba:
      if (!report.cubaBody) return Line("Character: left alone");
      return Line("Character: " + CharacterName(*report.cubaBody));
    default:
      return {};
  }
}

}  // namespace

std::string DescribeLevel(const LevelReport& report) {
  std::string text = GetLevelName(report.levelId) + "\n";
  text += DescribeLoadout(report.loadout);
  text += DescribeGuardWeapons(report.guardWeapons);
  if (report.guardTypeChanges) {
    text += Line("Guards that changed type: " + std::to_string(*report.guardTypeChanges));
  } else if (FindGuardTypeSwap(report.levelId)) {
    text += Line("Guard types: left alone");
  }
  text += DescribeNemesis(report.nemesis);
  text += DescribeLevelSpecific(report);
  return text;
}

}  // namespace velmo
