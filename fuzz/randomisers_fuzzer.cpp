// Every randomiser, in the order a level runs them, on the model parsed from
// any setup bytes, with the write-back after them.
// Input: one byte choosing the level, four bytes of generator seed, one byte of
// options (bit 0: add a Nemesis, bit 1: TRACE lines on), then the inflated
// setup file.

#include <cstddef>
#include <cstdint>

#include "fuzz_support.h"
#include "level/goldeneye_level.h"
#include "level_checks.h"
#include "randomise/random_source.h"
#include "randomise/randomiser_switches.h"
#include "rom/randomise_level.h"

using namespace velmo;

namespace {

struct EntryCounts {
  std::size_t guards, weapons, attachments, props, startWeapons, startAmmo, keys;
  bool operator==(const EntryCounts&) const = default;
};

EntryCounts CountEntries(const GoldeneyeLevel& level) {
  return {level.guards.size(), level.weapons.size(),      level.attachments.size(),
          level.props.size(),  level.startWeapons.size(), level.startAmmo.size(),
          level.keys.size()};
}

void RunRandomisers(GoldeneyeLevel& level, bool addNemesis) {
  level.RandomiseStartingWeapons();
  level.RandomiseGuardTypes();
  level.RandomiseGuardWeapons();
  if (addNemesis) level.AddNemesisCharacter();
  level.ApplyLevelSpecificRandomisations();
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  fuzz::SilenceConsole();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzz::FuzzInput input({data, size});
  const LevelId levelId = input.Byte() % level::kCount;
  const std::uint32_t seed = input.Word();
  const std::uint8_t options = input.Byte();
  const bool addNemesis = (options & 1) != 0;
  const ConfigFile& config = (options & 2) != 0 ? fuzz::TracingConfig() : fuzz::EmptyConfig();
  const auto setup = input.Rest();

  ClassicRandom random(seed);
  GoldeneyeLevel level(config, random, setup, levelId);
  level.ProcessStartingBlock();
  level.ProcessSetupDataBlock();
  fuzz::CheckParsedEntries(level);
  level.WriteBackToSetup();
  const ByteBuffer parsed = level.setupData;
  const EntryCounts counts = CountEntries(level);

  RunRandomisers(level, addNemesis);
  // The spare lists and FindGuardItems hand out pointers into the entry lists,
  // which therefore must not grow or shrink once parsed.
  fuzz::Check(CountEntries(level) == counts, "a randomiser changed the number of entries");
  level.WriteBackToSetup();
  fuzz::CheckChangesStayInRecords(level, parsed);

  // The level driver runs the same randomisers in the same order, so the same
  // seed gives the same file.
  ByteBuffer driven(setup.begin(), setup.end());
  ClassicRandom sameSeed(seed);
  RandomiseLevel(driven, levelId, addNemesis, RandomiserSwitches{}, config, sameSeed);
  fuzz::Check(driven == level.setupData, "the level driver and the randomisers disagree");
  return 0;
}
