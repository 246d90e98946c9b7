#include <array>

#include "level/goldeneye_level.h"
#include "randomise/draws.h"
#include "support/logger.h"

namespace velmo {
namespace {

// How an amount is drawn: scale × (base + one value reduced by the operation).
enum class AmountDraw {
  kNone,    // a fixed amount: scale × base, no draw
  kModulo,  // value modulo operand
  kMasked,  // value masked with operand
};

struct AmountRule {
  std::uint16_t scale;
  std::uint16_t base;
  AmountDraw draw;
  std::uint32_t operand;
};

struct StartingWeaponOption {
  std::uint32_t weaponId;
  // The same weapon again, for dual wielding, one time in three; 0: never.
  std::uint32_t secondWeaponId;
  std::uint32_t ammoType;
  AmountRule amount;
};

// The loadouts the player may start a level with. Every amount fits in the one
// byte the intro record keeps for it.
constexpr std::array<StartingWeaponOption, 12> kStartingWeaponOptions = {{
    {23, 0, 24, {1, 200, AmountDraw::kNone, 0}},
    {16, 0, 4, {10, 6, AmountDraw::kModulo, 5}},
    {3, 0, 10, {5, 1, AmountDraw::kModulo, 3}},
    {11, 0, 1, {30, 2, AmountDraw::kModulo, 3}},
    {12, 0, 1, {50, 2, AmountDraw::kMasked, 1}},
    {18, 18, 12, {6, 4, AmountDraw::kMasked, 3}},
    {19, 0, 13, {1, 5, AmountDraw::kModulo, 6}},
    {10, 0, 1, {30, 2, AmountDraw::kModulo, 3}},
    {15, 0, 4, {10, 4, AmountDraw::kModulo, 5}},
    {20, 0, 1, {1, 35, AmountDraw::kNone, 0}},
    {6, 0, 1, {8, 4, AmountDraw::kModulo, 3}},
    {22, 0, 5, {1, 5, AmountDraw::kModulo, 11}},
}};

std::uint16_t DrawAmount(const AmountRule& rule, RandomSource& random) {
  std::uint32_t offset = 0;
  switch (rule.draw) {
    case AmountDraw::kNone:
      break;
    case AmountDraw::kModulo:
      offset = DrawModulo(random, rule.operand);
      break;
    case AmountDraw::kMasked:
      offset = DrawMasked(random, rule.operand);
      break;
  }
  return static_cast<std::uint16_t>(rule.scale * (rule.base + offset));
}

}  // namespace

void GoldeneyeLevel::RandomiseStartingWeapons() {
  // Bunker 2 starts the player captured and unarmed; that start stays.
  if (startWeapons.empty() || startAmmo.empty() || levelId == level::kBunker2) return;

  std::uint32_t row = DrawModulo(random, 12);
  if (row >= kStartingWeaponOptions.size()) {
    LogWarn("GoldeneyeLevel::RandomiseStartingWeapons(): Unexpected option index encountered!");
    row = 0;
  }
  const StartingWeaponOption& option = kStartingWeaponOptions[row];

  StartWeaponEntry& weapon = startWeapons.front();
  StartAmmoEntry& ammo = startAmmo.front();
  weapon.secondWeaponId = 0;
  if (option.secondWeaponId != 0 && OneIn(random, 3)) weapon.secondWeaponId = option.secondWeaponId;
  weapon.weaponId = option.weaponId;
  ammo.ammoType = option.ammoType;
  ammo.amount = DrawAmount(option.amount, random);
  report.loadout =
      StartingLoadout{weapon.weaponId, weapon.secondWeaponId, ammo.ammoType, ammo.amount};
}

}  // namespace velmo
