#pragma once

#include <cstdint>
#include <string>

namespace velmo {

// The game's own names for its weapon numbers, ammunition types and the
// character bodies, for texts a player reads. A number the game gives no name
// here comes back as "weapon N", "ammunition N" or "body N".
std::string WeaponName(std::uint32_t weaponId);
std::string AmmunitionName(std::uint32_t ammoType);
std::string CharacterName(std::uint32_t bodyType);

}  // namespace velmo
