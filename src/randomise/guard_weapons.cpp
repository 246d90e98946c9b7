#include <array>

#include "level/goldeneye_level.h"
#include "randomise/draws.h"
#include "randomise/weapon_choice.h"
#include "support/logger.h"

namespace velmo {
namespace {

// The level's special weapon, carried only by promoted officers. 18 and 19
// stand in two rows each.
constexpr std::array<WeaponChoice, 11> kSpecialWeapons = {
    WeaponPair(18), WeaponPair(16), WeaponPair(5), WeaponPair(11), WeaponPair(25), WeaponPair(19),
    WeaponPair(19), WeaponPair(14), WeaponPair(9), WeaponPair(18), WeaponPair(6),
};

// Primary and secondary weapons are drawn together, so that a level's two
// common weapons always make a sensible pair.
struct CommonWeapons {
  WeaponChoice primary;
  WeaponChoice secondary;
};

constexpr std::array<CommonWeapons, 10> kCommonWeapons = {{
    {WeaponPair(16), WeaponPair(18)},
    {WeaponPair(13), WeaponPair(4)},
    {WeaponPair(13), WeaponPair(14)},
    {WeaponPair(9), WeaponPair(10)},
    {WeaponPair(7), WeaponPair(4)},
    {WeaponPair(18), WeaponPair(15)},
    {WeaponPair(19), WeaponPair(19)},
    {WeaponPair(22), WeaponPair(19)},
    {WeaponPair(16), WeaponPair(8)},
    {WeaponPair(12), WeaponPair(4)},
}};

// Attachments of guards that carry the secondary weapon are 217 or 218.
constexpr std::uint32_t kSecondaryAttachmentModel = 217;

struct LevelWeapons {
  WeaponChoice primary;
  WeaponChoice secondary;
  WeaponChoice special;
};

// Flags of an armed guard: bit 2 three times in four; bit 0 one time in five,
// and bit 1 one time in two only when bit 0 stays clear, so never both.
void RerollGuardFlags(GuardEntry& guard, RandomSource& random) {
  guard.flagBit2 = DrawMasked(random, 3) != 0;
  guard.flagBit0 = OneIn(random, 5);
  guard.flagBit1 = guard.flagBit0 ? false : DrawMasked(random, 1) == 0;
}

void PromoteToOfficer(GoldeneyeLevel& level, const GuardItems& items, const WeaponChoice& special) {
  // Frigate's crew keep their bodies when promoted; they only get the
  // officer's weapon (and the attachment that fits their own body).
  if (level.levelId != level::kFrigate) {
    items.guard->bodyType = level.GetOfficerBodyTypeFromCommonType(items.guard->bodyType);
  }
  ArmWith(*items.weapon, special);
  if (items.attachment != nullptr) {
    items.attachment->modelId = level.GetAttachmentModelForBodyType(items.guard->bodyType);
  }
}

// True when the guard was promoted.
bool RearmGuard(GoldeneyeLevel& level, const GuardItems& items, const LevelWeapons& pools) {
  RandomSource& random = level.random;
  RerollGuardFlags(*items.guard, random);
  // Taken before the promotion draw, and taken even when the guard is promoted.
  const bool secondaryWithAttachment = OneIn(random, 5);
  const bool promoted = OneIn(random, 10);
  if (promoted) {
    PromoteToOfficer(level, items, pools.special);
  } else if (secondaryWithAttachment) {
    ArmWith(*items.weapon, pools.secondary);
    if (items.attachment != nullptr) {
      items.attachment->modelId = kSecondaryAttachmentModel + DrawMasked(random, 1);
    }
  } else {
    ArmWith(*items.weapon, OneIn(random, 5) ? pools.secondary : pools.primary);
  }
  items.weapon->byte8Clear = DrawMasked(random, 3) == 0;
  items.weapon->byte8Drawn = true;
  return promoted;
}

}  // namespace

void GoldeneyeLevel::GetWeaponsForRandomisation(WeaponChoice& primary, WeaponChoice& secondary,
                                                WeaponChoice& special) {
  std::uint32_t specialRow = DrawModulo(random, 11);
  if (specialRow >= kSpecialWeapons.size()) {
    LogWarn("GoldeneyeLevel::GetWeaponsForRandomisation(): Unexpected Index for special weapon!");
    specialRow = 0;
  }
  special = kSpecialWeapons[specialRow];

  std::uint32_t commonRow = DrawModulo(random, 10);
  if (commonRow >= kCommonWeapons.size()) {
    LogWarn(
        "GoldeneyeLevel::GetWeaponsForRandomisation(): Unexpected Index for primary and secondary "
        "weapons!");
    commonRow = 0;
  }
  primary = kCommonWeapons[commonRow].primary;
  secondary = kCommonWeapons[commonRow].secondary;
}

void GoldeneyeLevel::RandomiseGuardWeapons() {
  // Drawn once per level, so every re-armed guard of the level carries one of
  // these three.
  LevelWeapons pools{};
  GetWeaponsForRandomisation(pools.primary, pools.secondary, pools.special);
  GuardWeaponsReport done{pools.primary.weaponId, pools.secondary.weaponId, pools.special.weaponId,
                          0, 0};

  for (std::size_t index = 0; index < guards.size(); ++index) {
    const GuardItems items = FindGuardItems(guards[index].guardId);
    // Unarmed guards stay unarmed, and characters keep what the level gives them.
    if (items.guard == nullptr || items.weapon == nullptr) continue;
    if (IsCharacterBodyType(items.guard->bodyType)) continue;
    done.promotedGuards += RearmGuard(*this, items, pools);
    ++done.rearmedGuards;
  }
  report.guardWeapons = done;
}

}  // namespace velmo
