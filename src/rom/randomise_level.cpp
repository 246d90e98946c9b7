#include "rom/randomise_level.h"

#include "level/goldeneye_level.h"
#include "randomise/randomiser_switches.h"
#include "support/logger.h"

namespace velmo {
namespace {

// Cuba's body has a switch of its own; the keys of Facility and Bunker 2
// share one. Other levels have nothing level-specific.
bool LevelSpecificRandomisationIsOn(LevelId levelId, const RandomiserSwitches& switches) {
  return levelId == level::kCuba ? switches.cubaBody : switches.keys;
}

}  // namespace

LevelReport RandomiseLevel(ByteBuffer& setupData, LevelId levelId, bool addNemesis,
                           const RandomiserSwitches& switches, const ConfigFile& config,
                           RandomSource& random) {
  GoldeneyeLevel level(config, random, setupData, levelId);
  LogInfo("... processing ... ");
  level.ProcessStartingBlock();
  level.ProcessSetupDataBlock();
  if (switches.startingWeapons) level.RandomiseStartingWeapons();
  if (switches.guardTypes) level.RandomiseGuardTypes();
  if (switches.guardWeapons) level.RandomiseGuardWeapons();
  if (!switches.nemesis) level.report.nemesis.outcome = NemesisOutcome::kSwitchedOff;
  if (addNemesis && switches.nemesis) {
    LogTrace("GoldeneyeLevel::RandomiseLevel(): Adding Nemesis character");
    level.AddNemesisCharacter();
  }
  if (LevelSpecificRandomisationIsOn(levelId, switches)) level.ApplyLevelSpecificRandomisations();
  level.WriteBackToSetup();
  setupData = std::move(level.setupData);
  return std::move(level.report);
}

}  // namespace velmo
