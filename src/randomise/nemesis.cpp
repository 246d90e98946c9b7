#include <array>
#include <span>

#include "level/goldeneye_level.h"
#include "randomise/counted_civilians.h"
#include "randomise/draws.h"
#include "randomise/weapon_choice.h"
#include "support/logger.h"
#include "support/number_text.h"

namespace velmo {
namespace {

// The characters a level's Nemesis may wear; the order matters, since a draw
// indexes the list.
constexpr std::array<std::uint32_t, 9> kDamCharacters = {10, 12, 13, 14, 15, 11, 8, 7, 6};
constexpr std::array<std::uint32_t, 6> kFacilityCharacters = {10, 12, 13, 14, 15, 11};
constexpr std::array<std::uint32_t, 8> kSevernayaCharacters = {10, 12, 13, 14, 15, 11, 8, 7};
constexpr std::array<std::uint32_t, 5> kSiloJungleCharacters = {12, 13, 14, 15, 6};
constexpr std::array<std::uint32_t, 7> kDepoCharacters = {10, 12, 13, 14, 15, 7, 6};
constexpr std::array<std::uint32_t, 4> kStatueCharacters = {13, 14, 15, 6};
constexpr std::array<std::uint32_t, 6> kArchivesCharacters = {12, 13, 14, 15, 11, 7};
constexpr std::array<std::uint32_t, 7> kControlCharacters = {10, 12, 13, 14, 15, 11, 8};
constexpr std::array<std::uint32_t, 7> kCavesCharacters = {10, 12, 13, 14, 15, 11, 6};
constexpr std::array<std::uint32_t, 6> kAztecCharacters = {10, 12, 14, 15, 11, 6};
constexpr std::array<std::uint32_t, 4> kEgyptCharacters = {13, 14, 15, 11};

using CharacterList = std::span<const std::uint32_t>;

// By level number; an empty list: the level never gets a Nemesis.
constexpr std::array<CharacterList, level::kCount> kNemesisCharacters = {
    kDamCharacters,         // Dam
    kFacilityCharacters,    // Facility
    kSevernayaCharacters,   // Runway
    kSevernayaCharacters,   // Surface 1
    kSevernayaCharacters,   // Bunker 1
    CharacterList{},        // Frigate
    kSevernayaCharacters,   // Surface 2
    kSevernayaCharacters,   // Bunker 2
    kSiloJungleCharacters,  // Silo
    kDepoCharacters,        // Depo
    kSiloJungleCharacters,  // Jungle
    CharacterList{},        // Train
    CharacterList{},        // Streets
    kStatueCharacters,      // Statue
    kArchivesCharacters,    // Archives
    kControlCharacters,     // Control
    kCavesCharacters,       // Caves
    CharacterList{},        // Cradle
    kAztecCharacters,       // Aztec
    kEgyptCharacters,       // Egypt
    CharacterList{},        // Cuba
};

constexpr std::array<WeaponChoice, 4> kNemesisWeapons = {
    WeaponPair(14),
    WeaponPair(19),
    WeaponPair(25),
    WeaponPair(24),
};

constexpr int kNemesisAttempts = 4;
constexpr std::uint8_t kNoHolder = 255;

CharacterList CharactersForLevel(LevelId levelId) {
  if (levelId >= 0 && levelId < level::kCount) {
    return kNemesisCharacters[static_cast<std::size_t>(levelId)];
  }
  LogWarn("GoldeneyeLevel::AddNemesisCharacter(): Unknown characters for level [" +
          GetLevelName(levelId) + "]");
  return kDamCharacters;
}

void WarnNoCandidate(NemesisReport& report) {
  report.outcome = NemesisOutcome::kNoCandidate;
  LogWarn(
      "GoldeneyeLevel::AddNemesisCharacter(): Unable to find candidate to convert to Nemesis "
      "unit");
}

// The Nemesis wears a character's body, has flag bit 0 set and bits 1 and 2
// cleared (bit 3 stays), and gets one of the Nemesis weapons. A weapon an
// earlier randomiser took away becomes its second weapon, and then its
// attachment comes off.
void ConvertToNemesis(GoldeneyeLevel& level, const GuardItems& items,
                      std::uint32_t nemesisBodyType) {
  GuardEntry& guard = *items.guard;
  guard.bodyType = nemesisBodyType;
  guard.flagBit0 = true;
  guard.flagBit1 = false;
  guard.flagBit2 = false;
  level.GetNemesisWeapon(items.weapon->modelId, items.weapon->weaponId);
  NemesisReport& done = level.report.nemesis;
  done = {NemesisOutcome::kAdded, guard.guardId, nemesisBodyType, {items.weapon->weaponId}};

  if (level.spareWeapons.empty()) return;
  WeaponEntry& second = *level.spareWeapons.front();
  level.spareWeapons.pop_front();
  second.holderId = guard.guardId;
  second.byte8Clear = false;
  second.byte8Drawn = true;
  level.GetNemesisWeapon(second.modelId, second.weaponId);
  done.weaponIds.push_back(second.weaponId);
  if (items.attachment == nullptr) return;
  items.attachment->holderId = kNoHolder;
  level.spareAttachments.push_back(items.attachment);
}

}  // namespace

void GoldeneyeLevel::GetNemesisWeapon(std::uint32_t& modelId, std::uint32_t& weaponId) {
  const WeaponChoice& choice = kNemesisWeapons[DrawMasked(random, 3)];
  modelId = choice.modelId;
  weaponId = choice.weaponId;
}

void GoldeneyeLevel::AddNemesisCharacter() {
  if (guards.empty()) {
    report.nemesis.outcome = NemesisOutcome::kNoGuards;
    LogError("GoldeneyeLevel::AddNemesisCharacter(): No entities to convert to Nemesis character!");
    return;
  }
  const CharacterList characters = CharactersForLevel(levelId);
  if (characters.empty()) {
    report.nemesis.outcome = NemesisOutcome::kNeverInLevel;
    return;
  }
  const std::uint32_t nemesisBodyType = characters[DrawEntryIndex(random, characters.size())];

  for (int attempt = 0; attempt < kNemesisAttempts; ++attempt) {
    const GuardEntry& candidate = guards[DrawEntryIndex(random, guards.size())];
    const GuardItems items = FindGuardItems(candidate.guardId);
    if (items.guard == nullptr || items.weapon == nullptr) continue;
    if (IsCharacterBodyType(items.guard->bodyType)) continue;
    // A counted scientist turned Nemesis would be one more civilian that the
    // player has to kill.
    if (IsCountedCivilian(levelId, items.guard->guardId)) continue;
    if (items.guard->guardId == kNoHolder) {
      WarnNoCandidate(report.nemesis);
      return;
    }
    if (items.weapon->holderId != items.guard->guardId) {
      report.nemesis.outcome = NemesisOutcome::kNoCandidate;
      LogError("GoldeneyeLevel::AddNemesisCharacter(): Something went wrong converting guard ID [" +
               DecimalText(static_cast<std::uint32_t>(items.guard->guardId)) +
               "] to Nemesis unit!");
      return;
    }
    ConvertToNemesis(*this, items, nemesisBodyType);
    return;
  }
  LogWarn(
      "GoldeneyeLevel::AddNemesisCharacter(): Exceeded allowed attempts to convert guard to "
      "nemesis "
      "guard");
  WarnNoCandidate(report.nemesis);
}

}  // namespace velmo
