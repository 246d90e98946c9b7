#pragma once

#include <array>
#include <string_view>

#include "support/config_file.h"

namespace velmo {

// Which randomisers a run applies. A randomiser that is off is not called for
// any level: it takes no draws and changes nothing, and the others keep their
// order. So a seed makes the same game only together with the same switches.
struct RandomiserSwitches {
  bool startingWeapons = true;
  bool guardTypes = true;
  bool guardWeapons = true;
  bool nemesis = true;
  bool keys = true;
  bool cubaBody = true;
};

// The configuration key of each switch, in the order they are reported.
struct RandomiserSwitchKey {
  std::string_view key;
  bool RandomiserSwitches::*isOn;
};

inline constexpr std::array<RandomiserSwitchKey, 6> kRandomiserSwitchKeys = {{
    {kRandomiseStartingWeaponsKey, &RandomiserSwitches::startingWeapons},
    {kRandomiseGuardTypesKey, &RandomiserSwitches::guardTypes},
    {kRandomiseGuardWeaponsKey, &RandomiserSwitches::guardWeapons},
    {kAddNemesisKey, &RandomiserSwitches::nemesis},
    {kRandomiseKeysKey, &RandomiserSwitches::keys},
    {kRandomiseCubaBodyKey, &RandomiserSwitches::cubaBody},
}};

}  // namespace velmo
