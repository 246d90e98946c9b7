#pragma once

#include <cstdint>

#include "level/level_catalogue.h"

namespace velmo {

// The characters whose deaths a level's mission script counts against the
// "minimize scientist casualties" objective. The script knows them by guard
// ID, not by look, so a counted civilian dressed as a guard would fail the
// mission for a player who shot him as one. In the game these are the
// scientists (body type 35) of Facility, Silo and Caves.
bool IsCountedCivilian(LevelId levelId, std::uint8_t guardId);

}  // namespace velmo
