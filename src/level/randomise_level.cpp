#include "level/randomise_level.h"

#include "app/logger.h"
#include "level/goldeneye_level.h"

namespace velmo {

void RandomiseLevel(ByteBuffer& setupData, LevelId levelId, bool addNemesis,
                    const ConfigFile& config, RandomSource& random) {
  GoldeneyeLevel level(config, random, setupData, levelId);
  LogInfo("... processing ... ");
  level.ProcessStartingBlock();
  level.ProcessSetupDataBlock();
  level.RandomiseStartingWeapons();
  level.RandomiseGuardTypes();
  level.RandomiseGuardWeapons();
  if (addNemesis) {
    LogTrace("GoldeneyeLevel::RandomiseLevel(): Adding Nemesis character");
    level.AddNemesisCharacter();
  }
  level.ApplyLevelSpecificRandomisations();
  level.WriteBackToSetup();
  setupData = std::move(level.setupData);
}

}  // namespace velmo
