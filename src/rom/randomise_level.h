#pragma once

#include "level/level_catalogue.h"
#include "level/level_report.h"
#include "support/byte_buffer.h"

namespace velmo {

class ConfigFile;
class RandomSource;
struct RandomiserSwitches;

// Turns one level's inflated setup file into its randomised version of the
// same length: parses it, runs the randomisers that are switched on in their
// fixed order (the order fixes the sequence of draws for a seed) and writes
// the model back. Returns what the randomisers did.
LevelReport RandomiseLevel(ByteBuffer& setupData, LevelId levelId, bool addNemesis,
                           const RandomiserSwitches& switches, const ConfigFile& config,
                           RandomSource& random);

}  // namespace velmo
