#include "randomise/game_names.h"

#include <span>
#include <string_view>

namespace velmo {
namespace {

struct NamedNumber {
  std::uint32_t number;
  std::string_view name;
};

// The game's weapon list; 0 and 1 (no weapon, unarmed) are never handed out.
constexpr NamedNumber kWeaponNames[] = {
    {2, "Hunting Knife"},   {3, "Throwing Knife"},    {4, "PP7"},
    {5, "PP7 (silenced)"},  {6, "DD44 Dostovei"},     {7, "Klobb"},
    {8, "KF7 Soviet"},      {9, "ZMG (9mm)"},         {10, "D5K Deutsche"},
    {11, "D5K (silenced)"}, {12, "Phantom"},          {13, "AR33 Assault Rifle"},
    {14, "RC-P90"},         {15, "Shotgun"},          {16, "Automatic Shotgun"},
    {17, "Sniper Rifle"},   {18, "Cougar Magnum"},    {19, "Golden Gun"},
    {20, "Silver PP7"},     {21, "Gold PP7"},         {22, "Moonraker Laser"},
    {23, "Watch Laser"},    {24, "Grenade Launcher"}, {25, "Rocket Launcher"},
    {26, "Hand Grenade"},   {27, "Timed Mine"},       {28, "Proximity Mine"},
    {29, "Remote Mine"},
};

// The ammunition types of the starting loadouts.
constexpr NamedNumber kAmmunitionNames[] = {
    {1, "9mm rounds"},          {4, "shotgun cartridges"}, {5, "grenades"},
    {10, "throwing knives"},    {12, "magnum rounds"},     {13, "golden bullets"},
    {24, "watch laser charge"},
};

// The named characters a Nemesis or Cuba's guard may wear.
constexpr NamedNumber kCharacterNames[] = {
    {6, "Boris"},     {7, "Ourumov"}, {8, "Trevelyan"},     {9, "Trevelyan (006)"},
    {10, "Valentin"}, {11, "Xenia"},  {12, "Baron Samedi"}, {13, "Jaws"},
    {14, "Mayday"},   {15, "Oddjob"}, {16, "Natalya"},
};

std::string NameOf(std::span<const NamedNumber> names, std::uint32_t number,
                   std::string_view unnamed) {
  for (const NamedNumber& entry : names) {
    if (entry.number == number) return std::string(entry.name);
  }
  return std::string(unnamed) + " " + std::to_string(number);
}

}  // namespace

std::string WeaponName(std::uint32_t weaponId) {
  return NameOf(kWeaponNames, weaponId, "weapon");
}

std::string AmmunitionName(std::uint32_t ammoType) {
  return NameOf(kAmmunitionNames, ammoType, "ammunition");
}

std::string CharacterName(std::uint32_t bodyType) {
  return NameOf(kCharacterNames, bodyType, "body");
}

}  // namespace velmo
