#include "level/level_report.h"

#include <gtest/gtest.h>

namespace velmo {
namespace {

TEST(DescribeLevel, FacilityWithEverythingRandomised) {
  LevelReport report;
  report.levelId = level::kFacility;
  report.loadout = StartingLoadout{18, 18, 12, 36};
  report.guardWeapons = GuardWeaponsReport{13, 4, 19, 21, 3};
  report.guardTypeChanges = 2;
  report.nemesis = {NemesisOutcome::kAdded, 23, 13, {25, 14}};
  report.keys = {{"keycard A", 7, 243}, {"keycard B", 45, 86}};
  EXPECT_EQ(DescribeLevel(report),
            "Facility\n"
            "  Starting loadout: Cougar Magnum x2, 36 magnum rounds\n"
            "  Guard weapons: primary AR33 Assault Rifle, secondary PP7, special Golden Gun\n"
            "  Guards re-armed: 21, of them promoted: 3\n"
            "  Guards that changed type: 2\n"
            "  Nemesis: guard 23 as Jaws with Rocket Launcher and RC-P90\n"
            "  Keycard A: guard 7, key model 243\n"
            "  Keycard B: guard 45, key model 86\n");
}

TEST(DescribeLevel, WhatWasLeftAloneAndNumbersWithoutNames) {
  LevelReport bunker;
  bunker.levelId = level::kBunker2;
  bunker.nemesis.outcome = NemesisOutcome::kNoCandidate;
  bunker.keys = {{"Natalia's cell key", 5, std::nullopt}, {"key card 1", 9, std::nullopt}};
  EXPECT_EQ(DescribeLevel(bunker),
            "Bunker 2\n"
            "  Starting loadout: left alone\n"
            "  Guard weapons: left alone\n"
            "  Nemesis: none, no ordinary armed guard could be converted\n"
            "  Natalia's cell key: guard 5\n"
            "  Key card 1: guard 9\n");

  LevelReport silo;
  silo.levelId = level::kSilo;
  silo.loadout = StartingLoadout{99, 0, 77, 5};
  silo.nemesis = {NemesisOutcome::kAdded, 4, 42, {24}};
  EXPECT_EQ(DescribeLevel(silo),
            "Silo\n"
            "  Starting loadout: weapon 99, 5 ammunition 77\n"
            "  Guard weapons: left alone\n"
            "  Guard types: left alone\n"
            "  Nemesis: guard 4 as body 42 with Grenade Launcher\n");

  LevelReport cuba;
  cuba.levelId = level::kCuba;
  cuba.nemesis.outcome = NemesisOutcome::kNeverInLevel;
  const std::string cubaStart =
      "Cuba\n  Starting loadout: left alone\n  Guard weapons: left alone\n"
      "  Nemesis: none, this level never has one\n";
  EXPECT_EQ(DescribeLevel(cuba), cubaStart + "  Character: left alone\n");
  cuba.cubaBody = 16;
  EXPECT_EQ(DescribeLevel(cuba), cubaStart + "  Character: Natalya\n");
}

}  // namespace
}  // namespace velmo
