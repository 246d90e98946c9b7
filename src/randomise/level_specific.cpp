#include <algorithm>
#include <array>
#include <string_view>
#include <vector>

#include "level/goldeneye_level.h"
#include "randomise/draws.h"
#include "support/config_file.h"
#include "support/logger.h"
#include "support/number_text.h"

namespace velmo {
namespace {

constexpr std::string_view kPrefix = "GoldeneyeLevel::ApplyLevelSpecificRandomisations(): ";

// Facility: keycard A is the first key record, keycard B the second.
constexpr std::size_t kFacilityKeyCount = 2;
constexpr std::size_t kKeycardA = 0;
constexpr std::size_t kKeycardB = 1;
constexpr std::string_view kKeycardAName = "keycard A";
constexpr std::string_view kKeycardBName = "keycard B";

// Guards that keycard B may go to, by guard ID: those the player reaches
// before opening any locked door.
constexpr std::array<std::uint32_t, 12> kKeycardBHolders = {0,  1,  2,  3,  4,  23,
                                                            37, 38, 39, 40, 44, 45};
// Guards that keycard A may go to: those the player reaches holding only
// keycard B. Every other guard stands behind keycard A's own doors.
constexpr std::array<std::uint32_t, 15> kKeycardAHolders = {0,  1,  2,  3,  4,  5,  6, 7,
                                                            23, 37, 38, 39, 40, 44, 45};

// Keycard A gets a new look only when Trev (body type 9) stands where the
// Facility setup keeps him, as guard entry 64.
constexpr std::size_t kTrevGuardIndex = 64;
constexpr std::uint32_t kTrevBodyType = 9;

// Models a moved key may take, indexed by a draw modulo 10.
constexpr std::array<std::uint32_t, 10> kKeyModels = {86, 86, 86, 243, 243, 244, 244, 10, 247, 247};
constexpr std::uint32_t kFallbackKeyModel = 86;

// Bunker 2: the keys that move, by position in the key records.
struct Bunker2Key {
  std::size_t position;
  std::string_view name;
};

constexpr std::size_t kBunker2KeyCount = 6;
constexpr std::size_t kKeyCard1 = 4;
constexpr std::array<Bunker2Key, 3> kBunker2MovedKeys = {{
    {3, "Natalia's cell key"},
    {kKeyCard1, "key card 1"},
    {5, "key card 2"},
}};

// The guards standing in the rooms that key card 1 opens. Guard 20 also
// carries the staff list that Secret Agent and 00 Agent need.
constexpr std::array<std::uint8_t, 6> kBehindKeyCard1Doors = {9, 10, 19, 20, 21, 22};

// The bodies Cuba's single guard entry may wear.
constexpr std::array<std::uint32_t, 4> kCubaBodyTypes = {14, 13, 11, 16};

void LogLevelMessage(void (*log)(std::string_view), std::string_view text) {
  log(std::string(kPrefix) + std::string(text));
}

bool FacilityHasTrev(const GoldeneyeLevel& level) {
  return level.guards.size() > kTrevGuardIndex &&
         level.guards[kTrevGuardIndex].bodyType == kTrevBodyType;
}

// A setup with a single guard entry has nobody else to give keycard A to.
std::uint32_t DrawKeycardAHolder(GoldeneyeLevel& level) {
  if (level.guards.size() == 1) return level.guards.front().guardId;
  return kKeycardAHolders[DrawModulo(level.random, kKeycardAHolders.size())];
}

void RandomiseFacilityKeys(GoldeneyeLevel& level) {
  if (level.keys.size() != kFacilityKeyCount) {
    LogLevelMessage(LogError,
                    "Number of keys in facility level is not what is expected! Will not randomise "
                    "placement");
    return;
  }
  // Keycard A goes to one of the level's guards; without guards both keys stay.
  if (level.guards.empty()) {
    LogLevelMessage(LogWarn,
                    "No guards in facility level to carry keycard A! Will not randomise placement");
    return;
  }

  KeyEntry& keycardB = level.keys[kKeycardB];
  keycardB.holderId = kKeycardBHolders[DrawModulo(level.random, kKeycardBHolders.size())];
  keycardB.modelId = level.GetRandomKeyType();
  if (TraceLoggingEnabled(level.config)) {
    LogLevelMessage(LogTrace, "Giving " + std::string(kKeycardBName) + " to [" +
                                  ToHexText(keycardB.holderId) + "]");
  }

  KeyEntry& keycardA = level.keys[kKeycardA];
  keycardA.holderId = DrawKeycardAHolder(level);
  if (TraceLoggingEnabled(level.config)) {
    LogLevelMessage(LogTrace, "Giving " + std::string(kKeycardAName) + " to [" +
                                  ToHexText(keycardA.holderId) + "]");
  }

  if (FacilityHasTrev(level)) {
    keycardA.modelId = level.GetRandomKeyType();
  } else {
    LogLevelMessage(LogWarn, "Something when wrong finding Trev in Facility!");
  }
  level.report.keys = {{kKeycardAName, keycardA.holderId, keycardA.modelId},
                       {kKeycardBName, keycardB.holderId, keycardB.modelId}};
}

// The first and the last guard entry of Bunker 2 never get a key; with only
// two guards there is no other choice than the first.
std::size_t DrawInnerGuard(GoldeneyeLevel& level) {
  const std::size_t innerGuards = level.guards.size() - 2;
  if (innerGuards == 0) return 0;
  return 1 + level.random.Draw() % innerGuards;
}

// The guard entries that may hold key card 1 without being locked in by it.
std::vector<std::size_t> KeyCard1Candidates(const GoldeneyeLevel& level) {
  std::vector<std::size_t> candidates;
  for (std::size_t entry = 1; entry + 1 < level.guards.size(); ++entry) {
    if (std::find(kBehindKeyCard1Doors.begin(), kBehindKeyCard1Doors.end(),
                  level.guards[entry].guardId) == kBehindKeyCard1Doors.end()) {
      candidates.push_back(entry);
    }
  }
  return candidates;
}

// Key card 1 goes to a guard outside its own rooms. Once the player holds
// it every other guard is within reach, so the other two keys may go to any
// guard but the first and the last. A setup with no such guard keeps the
// rule of the other keys.
std::size_t DrawBunker2KeyHolder(GoldeneyeLevel& level, std::size_t keyPosition) {
  if (keyPosition != kKeyCard1) return DrawInnerGuard(level);
  const std::vector<std::size_t> candidates = KeyCard1Candidates(level);
  if (candidates.empty()) return DrawInnerGuard(level);
  return candidates[DrawModulo(level.random, static_cast<std::uint32_t>(candidates.size()))];
}

void RandomiseBunker2Keys(GoldeneyeLevel& level) {
  if (level.keys.size() != kBunker2KeyCount) {
    LogLevelMessage(LogError,
                    "Number of keys in Nunker 2 level is not what is expected! Will not randomise "
                    "placement");
    return;
  }
  if (level.guards.size() < 2) {
    LogLevelMessage(LogWarn,
                    "Fewer than two guards in Bunker 2 level to carry keys! Will not randomise "
                    "placement");
    return;
  }
  for (const Bunker2Key& key : kBunker2MovedKeys) {
    const std::uint8_t holder = level.guards[DrawBunker2KeyHolder(level, key.position)].guardId;
    level.keys[key.position].holderId = holder;
    level.report.keys.push_back({key.name, holder, std::nullopt});
    LogLevelMessage(LogTrace, "Reassigned " + std::string(key.name) + " to guard [" +
                                  DecimalText(static_cast<std::uint32_t>(holder)) + "]");
  }
}

void RandomiseCubaBody(GoldeneyeLevel& level) {
  if (level.guards.size() != 1) {
    LogLevelMessage(LogError, "Number of entities in Cuba is not what is expected!");
    return;
  }
  level.guards.front().bodyType = kCubaBodyTypes[DrawModulo(level.random, kCubaBodyTypes.size())];
  level.report.cubaBody = level.guards.front().bodyType;
}

}  // namespace

std::uint32_t GoldeneyeLevel::GetRandomKeyType() {
  const std::uint32_t index = DrawModulo(random, 10);
  if (index >= kKeyModels.size()) {
    LogError("GoldeneyeLevel::GetRandomKeyType(): Unexpected value!");
    return kFallbackKeyModel;
  }
  return kKeyModels[index];
}

void GoldeneyeLevel::ApplyLevelSpecificRandomisations() {
  switch (levelId) {
    case level::kFacility:
      RandomiseFacilityKeys(*this);
      return;
    case level::kBunker2:
      RandomiseBunker2Keys(*this);
      return;
    case level::kCuba:
      RandomiseCubaBody(*this);
      return;
    default:
      break;
  }
  if (levelId < 0 || levelId >= level::kCount) {
    LogLevelMessage(LogError, "Unexpected level encountered!");
  }
}

}  // namespace velmo
