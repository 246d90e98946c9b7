#include "image_builder/setup_file.h"

#include <cmath>
#include <stdexcept>
#include <string>

#include "image_builder/content_random.h"
#include "image_builder/level_data.h"
#include "support/codec.h"

namespace velmo::image_builder {
namespace {

// Stream parts of one level.
constexpr std::uint64_t kCorePart = 0;
constexpr std::uint64_t kTargetPart = 1;
constexpr std::uint64_t kDataPart = 4;  // and the two after it

// A short file still carries a little of each part after the object list.
constexpr std::uint32_t kShortDataLength = 512;
// The level data compresses to about a sixth of its length; the search below
// corrects this first guess.
constexpr double kFirstRatioGuess = 6.0;
constexpr int kMaxFittingRounds = 16;

std::uint64_t LevelStream(int entryIndex, std::uint64_t part) {
  return stream::kLevelBase + 16 * static_cast<std::uint64_t>(entryIndex) + part;
}

struct Attempt {
  ByteBuffer plain;
  ByteBuffer compressed;
};

Attempt Assemble(const SetupCore& core, std::uint32_t dataLength, int entryIndex, int memLevel,
                 std::uint64_t contentSeed) {
  Attempt attempt{core.bytes, {}};
  AppendLevelData(attempt.plain, dataLength, contentSeed, LevelStream(entryIndex, kDataPart));
  CompressData(attempt.plain, attempt.compressed, memLevel);
  return attempt;
}

// The compressed size grows almost linearly with the length of the level
// data, so a few secant steps from the empty-data size reach the target.
Attempt FitToSpace(const SetupCore& core, int entryIndex, int memLevel, std::uint64_t contentSeed,
                   std::uint32_t space, const FillTarget& target) {
  ContentRandom random(contentSeed, LevelStream(entryIndex, kTargetPart));
  double share =
      target.lowest + (target.highest - target.lowest) * (0.25 + 0.5 * random.Below(1001) / 1000.0);
  double wanted = share * space;
  double lowest = target.lowest * space + 1;
  double highest = target.highest * space - 1;

  Attempt attempt = Assemble(core, 0, entryIndex, memLevel, contentSeed);
  double baseSize = static_cast<double>(attempt.compressed.size());
  if (baseSize > lowest) {
    throw std::logic_error("setup records alone fill too much of the space of entry " +
                           std::to_string(entryIndex));
  }
  double perDataByte = 1.0 / kFirstRatioGuess;
  for (int round = 0; round < kMaxFittingRounds; ++round) {
    std::uint32_t length =
        static_cast<std::uint32_t>(std::lround((wanted - baseSize) / perDataByte));
    attempt = Assemble(core, length, entryIndex, memLevel, contentSeed);
    double size = static_cast<double>(attempt.compressed.size());
    if (size >= lowest && size <= highest && std::abs(size - wanted) < 0.02 * space) return attempt;
    if (length > 0 && size > baseSize) perDataByte = (size - baseSize) / length;
  }
  throw std::logic_error("could not fit the setup file of entry " + std::to_string(entryIndex));
}

}  // namespace

BuiltSetup BuildSetupFile(int entryIndex, Layout layout, std::uint64_t contentSeed,
                          std::uint32_t space, const FillTarget* target, bool gameLikeLevels) {
  const SetupFileInfo& info = kSetupFiles.at(static_cast<std::size_t>(entryIndex));
  ContentRandom random(contentSeed, LevelStream(entryIndex, kCorePart));
  SetupCore core = BuildSetupCore(info.levelId, layout, gameLikeLevels, random);
  Attempt attempt = target
                        ? FitToSpace(core, entryIndex, info.memLevel, contentSeed, space, *target)
                        : Assemble(core, kShortDataLength, entryIndex, info.memLevel, contentSeed);
  return {std::move(attempt.plain), std::move(attempt.compressed), std::move(core.notes)};
}

}  // namespace velmo::image_builder
