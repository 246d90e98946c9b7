#pragma once

#include <string>

#include "cartridge/region_layout.h"
#include "rom/game_hash.h"

namespace velmo {

// One run that makes a game from a BPS patch instead of randomising: the
// player's image, the patch, and where the game and the configuration go.
struct PatchApplication {
  std::string imagePath;
  std::string patchPath;
  std::string outputPath;
  std::string configPath;
};

// What such a run made; hash and region only when it succeeded.
struct PatchOutcome {
  bool applied = false;
  GameHash hash;
  const RegionLayout* region = &region::kNorthAmerica;
};

// Applies the patch to the image (put into big-endian order first, whatever
// order its file is in) and saves the game at outputPath as a randomised run
// saves its image: made under a temporary name, read back and checked
// against the patch's CRC-32, written to the disk and only then moved into
// place; counted in the configuration; added to Project64's database as
// configured. No spoiler log: a patch carries none. Every refusal is one
// ERROR line and leaves no file; an older output stays as it was. The image
// and the patch are only read.
PatchOutcome ApplyPatchToImage(const PatchApplication& run);

}  // namespace velmo
