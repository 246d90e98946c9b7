// The object-list parser and the write-back on any setup bytes.
// Input: one byte choosing the level, then the inflated setup file.

#include <cstddef>
#include <cstdint>

#include "fuzz_support.h"
#include "level/goldeneye_level.h"
#include "level_checks.h"

using namespace velmo;

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  fuzz::SilenceConsole();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzz::FuzzInput input({data, size});
  const LevelId levelId = input.Byte() % level::kCount;
  const auto setup = input.Rest();
  fuzz::NoDraws noDraws;
  GoldeneyeLevel level(fuzz::EmptyConfig(), noDraws, setup, levelId);
  level.ProcessSetupDataBlock();
  fuzz::Check(level.startWeapons.empty() && level.startAmmo.empty(),
              "the object-list parser kept intro records");
  fuzz::CheckParsedEntries(level);
  level.WriteBackToSetup();
  fuzz::CheckUnchangedWriteBack(level, setup);
  return 0;
}
