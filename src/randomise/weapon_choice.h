#pragma once

#include <array>
#include <cstdint>

#include "level/level_entries.h"

namespace velmo {

// A weapon as the game places it: the model of the object lying in the level
// and the weapon it gives. The two always travel together.
struct WeaponChoice {
  std::uint32_t modelId;   // stored in byte 5 of a weapon record
  std::uint32_t weaponId;  // stored in byte 128 of a weapon record
};

// Every weapon the randomisers hand to a guard, with the model the game draws
// for it. All weapon tables of the randomisers name weapons only; their
// models come from here.
inline constexpr std::array<WeaponChoice, 18> kWeaponPairs = {{
    {.modelId = 191, .weaponId = 4},
    {.modelId = 204, .weaponId = 5},
    {.modelId = 205, .weaponId = 6},
    {.modelId = 193, .weaponId = 7},
    {.modelId = 184, .weaponId = 8},
    {.modelId = 195, .weaponId = 9},
    {.modelId = 189, .weaponId = 10},
    {.modelId = 206, .weaponId = 11},
    {.modelId = 194, .weaponId = 12},
    {.modelId = 188, .weaponId = 13},
    {.modelId = 197, .weaponId = 14},
    {.modelId = 192, .weaponId = 15},
    {.modelId = 207, .weaponId = 16},
    {.modelId = 190, .weaponId = 18},
    {.modelId = 208, .weaponId = 19},
    {.modelId = 187, .weaponId = 22},
    {.modelId = 185, .weaponId = 24},
    {.modelId = 211, .weaponId = 25},
}};

// The pair of a weapon, resolved while compiling: naming a weapon without a
// model in kWeaponPairs does not build.
consteval WeaponChoice WeaponPair(std::uint32_t weaponId) {
  for (const WeaponChoice& pair : kWeaponPairs) {
    if (pair.weaponId == weaponId) return pair;
  }
  throw "weapon without a model";
}

// Writes both halves of a choice into a weapon entry.
inline void ArmWith(WeaponEntry& weapon, const WeaponChoice& choice) {
  weapon.modelId = choice.modelId;
  weapon.weaponId = choice.weaponId;
}

}  // namespace velmo
