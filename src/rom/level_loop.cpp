#include "rom/level_loop.h"

#include <algorithm>

#include "randomise/random_source.h"
#include "randomise/randomiser_switches.h"
#include "rom/randomise_level.h"
#include "support/buffer_words.h"
#include "support/codec.h"
#include "support/logger.h"
#include "support/number_text.h"

namespace velmo {
namespace {

// The cartridge bus ignores bit 0 of a DMA address, and the game reads each
// file by DMA straight from its table offset: files must start on even
// offsets. The game's own files all start on 16-byte boundaries.
constexpr std::uint64_t kFileAlignment = 16;
constexpr std::uint32_t kNemesisChance = 5;

std::uint64_t AlignUp(std::uint64_t offset) {
  return (offset + kFileAlignment - 1) / kFileAlignment * kFileAlignment;
}

void ReportCorrupted(const SetupFileEntry& file) {
  LogError("ProcessROM(): The level [" + GetLevelName(file.levelId) +
           "] seems to have become corrupted!");
}

// One level: inflate, draw the Nemesis chance, randomise, clear the old space
// and recompress into file.setupData. False when the level is corrupted.
bool ProcessLevel(std::span<std::uint8_t> image, SetupFileEntry& file,
                  const RandomiserSwitches& switches, const ConfigFile& config,
                  RandomSource& random, LevelReport& report) {
  LogInfo("Inspecting " + GetLevelName(file.levelId) + "... ");
  const auto space = image.subspan(file.romOffset, file.availableSize);
  if (!DecompressData(space, file.setupData)) {
    file.setupData.clear();
    ReportCorrupted(file);
    return false;
  }
  const bool addNemesis = switches.nemesis && random.Draw() % kNemesisChance == 0;
  report = RandomiseLevel(file.setupData, file.levelId, addNemesis, switches, config, random);
  std::fill(space.begin(), space.end(), 0);

  // Only a complete stream may be written: the check of the finished image
  // takes the stream it finds there as the randomised file.
  ByteBuffer compressed;
  const bool complete = CompressData(file.setupData, compressed, file.memLevel);
  file.randomisedData.swap(file.setupData);
  file.setupData.swap(compressed);
  if (complete) return true;
  file.setupData.clear();
  ReportCorrupted(file);
  return false;
}

}  // namespace

bool ProcessROM(std::span<std::uint8_t> image, std::vector<SetupFileEntry>& setupFiles,
                const RandomiserSwitches& switches, const ConfigFile& config, RandomSource& random,
                std::vector<LevelReport>& reports) {
  LogInfo("ProcessROM(): Inspecting ROM...");
  bool success = true;
  reports.assign(setupFiles.size(), LevelReport{});
  for (std::size_t i = 0; i < setupFiles.size(); ++i) {
    reports[i].levelId = setupFiles[i].levelId;
    if (!ProcessLevel(image, setupFiles[i], switches, config, random, reports[i])) {
      success = false;
    }
  }
  return success;
}

bool WriteUpdatedSetups(std::span<std::uint8_t> image,
                        const std::vector<SetupFileEntry>& setupFiles, ByteBuffer& inflated21990,
                        std::uint32_t textStart) {
  if (setupFiles.empty()) return false;
  std::vector<std::uint64_t> starts;
  std::uint64_t cursor = setupFiles.front().romOffset;
  for (const SetupFileEntry& file : setupFiles) {
    starts.push_back(cursor);
    cursor = AlignUp(cursor + file.setupData.size());
  }
  const std::uint64_t end = starts.back() + setupFiles.back().setupData.size();
  const std::uint64_t limit = std::min<std::uint64_t>(textStart, image.size());
  if (end > limit) {
    LogError("WriteUpdatedSetups(): Updated setups need [" + std::to_string(end - limit) +
             "] more bytes than the space before the text banks!");
    return false;
  }
  for (std::size_t i = 0; i < setupFiles.size(); ++i) {
    const ByteBuffer& data = setupFiles[i].setupData;
    const auto at = image.begin() + static_cast<std::ptrdiff_t>(starts[i]);
    std::copy(data.begin(), data.end(), at);
    // The alignment padding may cover a byte no old file owned (an end bound).
    const std::uint64_t paddingEnd =
        i + 1 < starts.size() ? starts[i + 1] : starts[i] + data.size();
    std::fill(at + static_cast<std::ptrdiff_t>(data.size()),
              image.begin() + static_cast<std::ptrdiff_t>(paddingEnd), 0);
    SetDWORDToffset(inflated21990, setupFiles[i].tablePosition,
                    static_cast<std::uint32_t>(starts[i]));
  }
  LogSuccess("WriteUpdatedSetups(): Finished writing updated setups!");
  return true;
}

}  // namespace velmo
