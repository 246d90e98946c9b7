#include "image_builder/guard_roster.h"

#include <algorithm>
#include <array>

namespace velmo::image_builder {
namespace {

// Facility, Silo and Caves are built around one default guard type, and their
// body type 35 guards carry the level's word 0x04nn in bytes 10 and 11.
struct GuardTypeLevel {
  LevelId level;
  std::uint8_t defaultGuardType;
  std::uint8_t type35Byte11;
};
constexpr std::array<GuardTypeLevel, 3> kGuardTypeLevels = {{
    {level::kFacility, 2, 13},
    {level::kSilo, 3, 16},
    {level::kCaves, 4, 8},
}};
constexpr std::uint8_t kType35Body = 35;
constexpr std::uint8_t kType35Byte10 = 4;

// Facility's guard entry 64 is Trevelyan, body type 9.
constexpr std::size_t kTrevEntry = 64;
constexpr std::uint8_t kTrevBody = 9;

constexpr std::array<std::uint8_t, 8> kOrdinaryBodies = {0, 2, 3, 17, 19, 21, 37, 38};
constexpr std::array<std::uint8_t, 3> kArmedOfficerBodies = {1, 18, 22};
// Officer bodies that have no promoted form; the game's guards of these types
// carry no weapon.
constexpr std::array<std::uint8_t, 2> kUnarmedOfficerBodies = {24, 25};
constexpr std::array<std::uint8_t, 12> kCharacterBodies = {6,  7,  8,  9,  10, 11,
                                                           12, 13, 14, 15, 16, 79};

// The civilians the missions of Facility, Silo and Caves count, by guard ID.
struct LevelScientists {
  LevelId level;
  std::vector<std::uint8_t> guardIds;
};
const std::array<LevelScientists, 3>& GameScientists() {
  static const std::array<LevelScientists, 3> scientists = {{
      {level::kFacility, {51, 52, 53, 54, 55, 57, 58, 59, 60, 61, 62, 63, 64, 65, 66}},
      {level::kSilo, {54, 55, 56, 57, 58, 59, 60, 61, 62, 63}},
      {level::kCaves, {73, 74, 75, 84, 85}},
  }};
  return scientists;
}
// Bunker 2's guards in key card 1's rooms (9, 10 and 19 to 22) stand
// between guards outside them; those after these ten are numbered from 23.
constexpr std::array<std::uint8_t, 10> kBunker2LeadingIds = {0, 9, 1, 10, 19, 2, 20, 21, 3, 22};
constexpr std::uint32_t kBunker2NextId = 23;

const LevelScientists* FindScientists(LevelId level) {
  for (const LevelScientists& entry : GameScientists()) {
    if (entry.level == level) return &entry;
  }
  return nullptr;
}

void NumberFrom(std::uint32_t first, std::vector<std::uint8_t>& ids) {
  for (std::size_t index = 0; index < ids.size(); ++index) {
    ids[index] = static_cast<std::uint8_t>(first + index);
  }
}

void NumberBunker2(std::vector<std::uint8_t>& ids) {
  for (std::size_t index = 0; index < ids.size(); ++index) {
    ids[index] =
        index < kBunker2LeadingIds.size()
            ? kBunker2LeadingIds[index]
            : static_cast<std::uint8_t>(kBunker2NextId + index - kBunker2LeadingIds.size());
  }
}

std::optional<GuardTypeLevel> FindGuardTypeLevel(LevelId level) {
  for (const GuardTypeLevel& entry : kGuardTypeLevels) {
    if (entry.level == level) return entry;
  }
  return std::nullopt;
}

std::vector<GuardPlan> RequiredGuards(LevelId level) {
  std::vector<GuardPlan> plans = {
      {GuardKind::kOrdinary, 1, true, true, true, std::nullopt},
      {GuardKind::kOrdinary, 0, false, false, false, std::nullopt},
      {GuardKind::kArmedOfficer, 2, false, false, false, std::nullopt},
      {GuardKind::kUnarmedOfficer, 0, true, false, false, std::nullopt},
      {GuardKind::kCharacter, 1, false, false, false, std::nullopt},
      {GuardKind::kCharacter, 0, false, true, false, std::nullopt},
      {GuardKind::kType35, 1, true, false, false, std::nullopt},
      {GuardKind::kType35, 0, false, false, false, std::nullopt},
  };
  if (FindGuardTypeLevel(level)) {
    plans.push_back({GuardKind::kDefaultType, 1, true, false, false, std::nullopt});
    plans.push_back({GuardKind::kDefaultType, 0, false, false, false, std::nullopt});
    plans.push_back({GuardKind::kDefaultType, 0, true, true, false, std::nullopt});
    plans.push_back({GuardKind::kDefaultType, 2, false, false, true, std::nullopt});
  }
  return plans;
}

GuardPlan RandomGuard(LevelId level, ContentRandom& random) {
  GuardPlan plan{GuardKind::kOrdinary, 0,           random.OneIn(4), random.OneIn(4),
                 random.OneIn(10),     std::nullopt};
  std::uint32_t roll = random.Below(20);
  if (roll < 2) plan.kind = GuardKind::kArmedOfficer;
  if (roll == 2) plan.kind = GuardKind::kUnarmedOfficer;
  if (roll == 3) plan.kind = GuardKind::kType35;
  if (roll == 4 && random.OneIn(3)) plan.kind = GuardKind::kCharacter;
  if (roll >= 10 && FindGuardTypeLevel(level)) plan.kind = GuardKind::kDefaultType;
  if (plan.kind != GuardKind::kUnarmedOfficer && !random.OneIn(4)) {
    plan.weapons = random.OneIn(8) ? 2 : 1;
  }
  return plan;
}

std::size_t GuardCount(LevelId level, Layout layout, std::size_t required, ContentRandom& random) {
  if (level == level::kFacility) return layout == Layout::kRealistic ? random.Between(68, 76) : 66;
  if (level == level::kBunker2 && layout == Layout::kRealistic) return random.Between(12, 20);
  if (IsRichLevel(level, layout)) return random.Between(14, 48);
  return required + random.Below(3);
}

std::uint8_t BodyFor(const GuardPlan& plan, LevelId level, ContentRandom& random) {
  if (plan.fixedBody) return *plan.fixedBody;
  switch (plan.kind) {
    case GuardKind::kOrdinary:
      return Pick(kOrdinaryBodies, random);
    case GuardKind::kDefaultType:
      return FindGuardTypeLevel(level)->defaultGuardType;
    case GuardKind::kArmedOfficer:
      return Pick(kArmedOfficerBodies, random);
    case GuardKind::kUnarmedOfficer:
      return Pick(kUnarmedOfficerBodies, random);
    case GuardKind::kCharacter:
      return Pick(kCharacterBodies, random);
    case GuardKind::kType35:
      return kType35Body;
  }
  return 0;
}

}  // namespace

// Realistic levels carry many records of every kind; small ones (and Cuba,
// whose space in the image is tiny) only a few.
bool IsRichLevel(LevelId level, Layout layout) {
  return layout == Layout::kRealistic && level != level::kCuba;
}

std::vector<GuardPlan> PlanGuards(LevelId level, Layout layout, ContentRandom& random) {
  if (level == level::kCuba) {
    return {{GuardKind::kCharacter, 1, false, true, false, std::nullopt}};
  }
  std::vector<GuardPlan> plans = RequiredGuards(level);
  std::size_t count = GuardCount(level, layout, plans.size(), random);
  bool withTrev = level == level::kFacility;
  while (plans.size() + (withTrev ? 1 : 0) < count) plans.push_back(RandomGuard(level, random));
  Shuffle(plans, random);
  if (withTrev) {
    GuardPlan trev{GuardKind::kCharacter, 1, false, false, false, kTrevBody};
    plans.insert(plans.begin() + kTrevEntry, trev);
  }
  return plans;
}

// Guard IDs rise through the list with small gaps, so that an ID is seldom the
// entry's position; Facility's are 0 to n-1 with a few neighbours exchanged,
// so that the IDs its keycard rules name all exist.
std::vector<std::uint8_t> AssignGuardIds(LevelId level, std::size_t count, ContentRandom& random) {
  std::vector<std::uint8_t> ids;
  std::uint32_t next = level == level::kFacility ? 0 : random.Below(3);
  for (std::size_t index = 0; index < count; ++index) {
    ids.push_back(static_cast<std::uint8_t>(next));
    next += level == level::kFacility ? 1 : 1 + (random.OneIn(6) ? 1 : 0);
  }
  if (level == level::kFacility) {
    for (int swap = 0; swap < 4; ++swap) {
      std::size_t at = random.Below(static_cast<std::uint32_t>(count - 1));
      std::swap(ids[at], ids[at + 1]);
    }
  }
  return ids;
}

void UseGameGuardIds(LevelId level, std::vector<GuardPlan>& plans, std::vector<std::uint8_t>& ids) {
  if (level == level::kBunker2) NumberBunker2(ids);
  const LevelScientists* scientists = FindScientists(level);
  if (scientists == nullptr) return;
  // Facility's IDs already run from 0 past its scientists; the others end
  // with their last scientist.
  const std::uint32_t lastScientist = scientists->guardIds.back();
  if (level != level::kFacility && ids.size() <= lastScientist) {
    NumberFrom(lastScientist + 1 - static_cast<std::uint32_t>(ids.size()), ids);
  }
  for (std::size_t index = 0; index < plans.size(); ++index) {
    GuardPlan& plan = plans[index];
    if (level == level::kFacility && ids[index] == kDecoderPad && !plan.fixedBody) {
      plan = {GuardKind::kDefaultType, 1, false, false, false, std::nullopt};
    }
    if (plan.kind == GuardKind::kCharacter) continue;
    const bool scientist = std::find(scientists->guardIds.begin(), scientists->guardIds.end(),
                                     ids[index]) != scientists->guardIds.end();
    if (scientist) plan.kind = GuardKind::kType35;
    if (!scientist && plan.kind == GuardKind::kType35) plan.kind = GuardKind::kDefaultType;
  }
}

GuardFields GuardFieldsFor(const GuardPlan& plan, std::uint8_t guardId, LevelId level,
                           ContentRandom& random) {
  GuardFields fields;
  fields.guardId = guardId;
  fields.bodyType = BodyFor(plan, level, random);
  fields.byte10 = static_cast<std::uint8_t>(random.Below(4));
  fields.byte11 = random.Byte();
  if (plan.kind == GuardKind::kType35) {
    std::optional<GuardTypeLevel> rules = FindGuardTypeLevel(level);
    fields.byte10 = kType35Byte10;
    fields.byte11 = rules ? rules->type35Byte11 : static_cast<std::uint8_t>(random.Between(1, 20));
  }
  fields.flags = static_cast<std::uint8_t>(random.Below(16));
  if (plan.highFlagBits) fields.flags |= static_cast<std::uint8_t>(random.Between(1, 15) << 4);
  return fields;
}

}  // namespace velmo::image_builder
