#pragma once

#include <cstdint>
#include <optional>

#include "randomise/randomiser_switches.h"
#include "rom/share_code.h"

namespace velmo {

class ConfigFile;

// The options that decide which game a run makes and what it writes beside
// the image, read once before the pipeline's first step.
struct RunOptions {
  std::optional<std::uint32_t> seed;  // from Seed; the clock's seed when absent
  bool spoilerLog = true;
  RandomiserSwitches randomisers;
  // From ConvertByteOrder: take byte-swapped and little-endian images too.
  // Off when the key is missing, so that older configurations refuse them.
  bool convertByteOrder = false;
  // From PJ64GameEntry: give Project64's database the one entry for every
  // randomised GoldenEye instead of a section per image. Off when the key is
  // missing, so that older configurations keep their section per image.
  bool pj64GameEntry = false;
  // From WritePatch: write a patch from the input to the output beside the
  // image. Off when the key is missing.
  bool writePatch = false;
  // From ShareCode, when it gave the seed and the randomiser switches above.
  std::optional<ShareCode> shareCode;
};

// Reads Seed, then SpoilerLog, then the randomiser switches, then
// ConvertByteOrder, then PJ64GameEntry, then WritePatch. A ShareCode that is
// not empty takes the place of Seed and the randomiser switches, which are
// then not read at all; it must be of this Velmo's releaseNumber. Every
// invalid value gets its ERROR line and the result is false; only when all
// are valid come the INFO lines for the seed or share code and for each
// randomiser switch that is off. The values are read exactly as stored, so
// " 5" is no seed and "yes" no switch.
bool ReadRunOptions(const ConfigFile& config, std::uint16_t releaseNumber, RunOptions& options);

// What a run that applies a patch reads: only PJ64GameEntry, since the patch
// decides the game. False, with its ERROR line, for an invalid value.
bool ReadPatchRunOptions(const ConfigFile& config, bool& pj64GameEntry);

}  // namespace velmo
