#include "rom/level_description.h"

#include <gtest/gtest.h>

namespace velmo {
namespace {

// The whole-image spoiler test checks the lines it can read back from the
// image; these are the lines for what an image cannot show.
TEST(DescribeLevel, NamesWhatWasDoneAndWhatWasLeftAlone) {
  LevelReport silo;
  silo.levelId = level::kSilo;
  silo.loadout = StartingLoadout{18, 18, 12, 36};
  silo.guardWeapons = GuardWeaponsReport{13, 4, 19, 21, 3};
  silo.guardTypeChanges = 2;
  silo.nemesis = {NemesisOutcome::kAdded, 23, 13, {25, 14}};
  EXPECT_EQ(DescribeLevel(silo),
            "Silo\n"
            "  Starting loadout: Cougar Magnum x2, 36 magnum rounds\n"
            "  Guard weapons: primary AR33 Assault Rifle, secondary PP7, special Golden Gun\n"
            "  Guards re-armed: 21, of them promoted: 3\n"
            "  Guards that changed type: 2\n"
            "  Nemesis: guard 23 as Jaws with Rocket Launcher and RC-P90\n");

  LevelReport caves;
  caves.levelId = level::kCaves;
  caves.loadout = StartingLoadout{99, 0, 77, 5};
  caves.nemesis = {NemesisOutcome::kAdded, 4, 42, {24}};
  EXPECT_EQ(DescribeLevel(caves),
            "Caves\n"
            "  Starting loadout: weapon 99, 5 ammunition 77\n"
            "  Guard weapons: left alone\n"
            "  Guard types: left alone\n"
            "  Nemesis: guard 4 as body 42 with Grenade Launcher\n");

  LevelReport bunker;
  bunker.levelId = level::kBunker2;
  bunker.nemesis.outcome = NemesisOutcome::kNoCandidate;
  EXPECT_EQ(DescribeLevel(bunker),
            "Bunker 2\n"
            "  Starting loadout: left alone\n"
            "  Guard weapons: left alone\n"
            "  Nemesis: none, no ordinary armed guard could be converted\n"
            "  Keys: left where they were\n");

  LevelReport cuba;
  cuba.levelId = level::kCuba;
  cuba.nemesis.outcome = NemesisOutcome::kSwitchedOff;
  EXPECT_EQ(DescribeLevel(cuba),
            "Cuba\n  Starting loadout: left alone\n  Guard weapons: left alone\n"
            "  Nemesis: none, switched off\n  Character: left alone\n");
}

}  // namespace
}  // namespace velmo
