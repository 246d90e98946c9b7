#pragma once

#include "level/level_catalogue.h"
#include "rom/byte_buffer.h"

namespace velmo {

class ConfigFile;
class RandomSource;

// Turns one level's inflated setup file into its randomised version of the
// same length: parses it, runs the randomisers in their fixed order (the order
// fixes the sequence of draws for a seed) and writes the model back.
void RandomiseLevel(ByteBuffer& setupData, LevelId levelId, bool addNemesis,
                    const ConfigFile& config, RandomSource& random);

}  // namespace velmo
