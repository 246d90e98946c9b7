#include <array>

#include "level/goldeneye_level.h"
#include "randomise/counted_civilians.h"
#include "randomise/draws.h"
#include "randomise/guard_type_swap.h"
#include "randomise/weapon_choice.h"
#include "support/logger.h"

namespace velmo {
namespace {

struct LevelGuardTypeSwap {
  LevelId levelId;
  GuardTypeSwap swap;
};

constexpr std::array<LevelGuardTypeSwap, 3> kGuardTypeSwaps = {{
    {level::kFacility, {2, 13}},
    {level::kSilo, {3, 16}},
    {level::kCaves, {4, 8}},
}};

// A type-35 guard turned back into a common guard may pick up a dropped weapon.
constexpr WeaponChoice kPickedUpWeapon = WeaponPair(7);
// What a new type-35 guard that stays armed carries.
constexpr WeaponChoice kType35MainWeapon = WeaponPair(8);
constexpr WeaponChoice kType35OtherWeapon = WeaponPair(4);
// What a new type-35 guard that is not disarmed carries without the word.
constexpr WeaponChoice kType35KeptWeapon = WeaponPair(7);
// The attachment a new type-35 guard keeps is changed to this model.
constexpr std::uint32_t kType35AttachmentModel = 223;
constexpr std::uint8_t kNoHolder = 255;

void SetType35Word(GuardEntry& guard, const GuardTypeSwap& swap) {
  guard.byte10 = kType35Byte10;
  guard.byte11 = swap.type35Byte11;
}

// A type-35 guard becomes a common guard one time in six and, one time in
// three, picks up the first weapon an earlier guard dropped. True when the
// guard changed type.
bool MakeCommonGuard(GoldeneyeLevel& level, GuardEntry& guard, const GuardTypeSwap& swap) {
  if (!OneIn(level.random, 6)) return false;
  guard.bodyType = swap.defaultGuardType;
  // The value is taken even when nothing lies there to pick up.
  if (!OneIn(level.random, 3) || level.spareWeapons.empty()) return true;
  WeaponEntry& pickedUp = *level.spareWeapons.front();
  level.spareWeapons.pop_front();
  pickedUp.holderId = guard.guardId;
  ArmWith(pickedUp, kPickedUpWeapon);
  return true;
}

void ChangeType35Weapon(GoldeneyeLevel& level, GuardEntry& guard, WeaponEntry& weapon,
                        const GuardTypeSwap& swap) {
  if (OneIn(level.random, 3)) {
    ArmWith(weapon, OneIn(level.random, 3) ? kType35OtherWeapon : kType35MainWeapon);
    return;
  }
  SetType35Word(guard, swap);
  if (OneIn(level.random, 3)) {
    ArmWith(weapon, kType35KeptWeapon);
    return;
  }
  weapon.holderId = kNoHolder;
  level.spareWeapons.push_back(&weapon);
}

// A common guard becomes type 35 one time in ten; its attachment is either
// re-modelled or taken off, and its weapon changed, dropped or kept. True
// when the guard changed type.
bool MakeType35Guard(GoldeneyeLevel& level, const GuardItems& items, const GuardTypeSwap& swap) {
  if (!OneIn(level.random, 10)) return false;
  items.guard->bodyType = kSwappedBodyType;
  if (items.attachment != nullptr) {
    if (OneIn(level.random, 5)) {
      items.attachment->modelId = kType35AttachmentModel;
    } else {
      items.attachment->holderId = kNoHolder;
      level.spareAttachments.push_back(items.attachment);
    }
  }
  if (items.weapon == nullptr) {
    SetType35Word(*items.guard, swap);
    return true;
  }
  ChangeType35Weapon(level, *items.guard, *items.weapon, swap);
  return true;
}

}  // namespace

std::optional<GuardTypeSwap> FindGuardTypeSwap(LevelId levelId) {
  for (const LevelGuardTypeSwap& entry : kGuardTypeSwaps) {
    if (entry.levelId == levelId) return entry.swap;
  }
  return std::nullopt;
}

GuardTypeSwap GetGuardTypeSwap(LevelId levelId) {
  if (const std::optional<GuardTypeSwap> swap = FindGuardTypeSwap(levelId)) return *swap;
  LogWarn("Unknown default guard type for level [" + GetLevelName(levelId) + "]");
  return kGuardTypeSwaps.front().swap;
}

void GoldeneyeLevel::RandomiseGuardTypes() {
  if (!FindGuardTypeSwap(levelId)) return;
  const GuardTypeSwap swap = GetGuardTypeSwap(levelId);

  std::uint32_t changes = 0;
  for (std::size_t index = 0; index < guards.size(); ++index) {
    const GuardItems items = FindGuardItems(guards[index].guardId);
    if (items.guard == nullptr) continue;
    if (items.guard->bodyType == kSwappedBodyType) {
      // A scientist the mission counts keeps his lab coat, so that the player
      // can tell him from the guards.
      if (IsCountedCivilian(levelId, items.guard->guardId)) continue;
      changes += MakeCommonGuard(*this, *items.guard, swap);
    } else if (items.guard->bodyType == swap.defaultGuardType) {
      changes += MakeType35Guard(*this, items, swap);
    }
  }
  report.guardTypeChanges = changes;
}

}  // namespace velmo
