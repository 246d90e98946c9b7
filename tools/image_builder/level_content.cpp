#include "image_builder/level_content.h"

#include <algorithm>
#include <array>
#include <optional>
#include <stdexcept>

#include "image_builder/setup_records.h"
#include "rom/buffer_words.h"

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

struct WeaponPair {
  std::uint8_t weaponId;
  std::uint8_t modelId;
};
constexpr std::array<WeaponPair, 12> kGuardWeapons = {{
    {4, 191},
    {5, 204},
    {7, 193},
    {8, 184},
    {9, 195},
    {10, 189},
    {12, 194},
    {13, 188},
    {14, 197},
    {16, 207},
    {18, 190},
    {22, 187},
}};
// Weapon byte 8 is 0x00 or 0x10 for most weapons; a few carry other flags.
constexpr std::array<std::uint8_t, 7> kUnusualWeaponFlags = {0x01, 0x02, 0x12, 0x20,
                                                             0x30, 0x80, 0x90};
constexpr std::array<std::uint8_t, 5> kKeyModels = {86, 243, 244, 10, 247};
constexpr std::array<std::uint8_t, 6> kAttachmentModels = {214, 217, 218, 219, 221, 223};

constexpr std::size_t kBunker2Keys = 6;
constexpr std::size_t kFacilityKeys = 2;

enum class GuardKind {
  kOrdinary,
  kDefaultType,
  kArmedOfficer,
  kUnarmedOfficer,
  kCharacter,
  kType35
};

struct GuardPlan {
  GuardKind kind;
  int weapons;  // held weapon records after the guard
  bool attachment;
  bool highFlagBits;
  bool unusualWeaponFlag;
  std::optional<std::uint8_t> fixedBody;
};

// A run of records that stays together in the object list: a guard with the
// things it holds, or one other record.
struct Chunk {
  ByteBuffer bytes;
  std::optional<std::uint32_t> hiddenGuardAt;
};

template <typename T, std::size_t N>
T Pick(const std::array<T, N>& values, ContentRandom& random) {
  return values[random.Below(N)];
}

template <typename T>
void Shuffle(std::vector<T>& values, ContentRandom& random) {
  for (std::size_t index = values.size(); index > 1; --index) {
    std::swap(values[index - 1], values[random.Below(static_cast<std::uint32_t>(index))]);
  }
}

std::optional<GuardTypeLevel> FindGuardTypeLevel(LevelId level) {
  for (const GuardTypeLevel& entry : kGuardTypeLevels) {
    if (entry.level == level) return entry;
  }
  return std::nullopt;
}

// Realistic levels carry many records of every kind; small ones (and Cuba,
// whose space in the image is tiny) only a few.
bool IsRich(LevelId level, Layout layout) {
  return layout == Layout::kRealistic && level != level::kCuba;
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
  if (IsRich(level, layout)) return random.Between(14, 48);
  return required + random.Below(3);
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

WeaponFields RandomWeapon(std::uint8_t holderId, bool unusualFlag, ContentRandom& random) {
  WeaponPair pair = Pick(kGuardWeapons, random);
  std::uint8_t byte8 = random.OneIn(3) ? 0x00 : 0x10;
  if (unusualFlag || random.OneIn(15)) byte8 = Pick(kUnusualWeaponFlags, random);
  return {pair.modelId, holderId, byte8, pair.weaponId};
}

void Append(ByteBuffer& to, const ByteBuffer& record) {
  to.insert(to.end(), record.begin(), record.end());
}

Chunk GuardChunk(const GuardPlan& plan, std::uint8_t guardId, LevelId level,
                 ContentRandom& random) {
  Chunk chunk;
  Append(chunk.bytes, MakeGuardRecord(GuardFieldsFor(plan, guardId, level, random), random));
  for (int weapon = 0; weapon < plan.weapons; ++weapon) {
    bool unusual = plan.unusualWeaponFlag && weapon == 0;
    Append(chunk.bytes, MakeWeaponRecord(RandomWeapon(guardId, unusual, random), random));
  }
  if (plan.attachment) {
    Append(chunk.bytes, MakeAttachmentRecord(Pick(kAttachmentModels, random), guardId, random));
  }
  return chunk;
}

std::uint8_t RandomHolder(const std::vector<std::uint8_t>& guardIds, ContentRandom& random) {
  return guardIds[random.Below(static_cast<std::uint32_t>(guardIds.size()))];
}

std::size_t KeyCount(LevelId level, Layout layout, ContentRandom& random) {
  if (level == level::kFacility) return kFacilityKeys;
  if (level == level::kBunker2) return kBunker2Keys;
  if (level == level::kCuba) return 0;
  return random.Below(IsRich(level, layout) ? 4 : 2);
}

// Keys are carried by guards; a few other levels' keys lie in the open.
std::vector<Chunk> KeyChunks(LevelId level, Layout layout,
                             const std::vector<std::uint8_t>& guardIds, ContentRandom& random) {
  std::vector<Chunk> chunks;
  std::size_t count = KeyCount(level, layout, random);
  for (std::size_t key = 0; key < count; ++key) {
    bool carried = level == level::kFacility || level == level::kBunker2 || !random.OneIn(3);
    std::uint8_t holder = carried ? RandomHolder(guardIds, random) : kNoHolder;
    chunks.push_back({MakeKeyRecord(Pick(kKeyModels, random), holder, random), std::nullopt});
  }
  return chunks;
}

// A 0x17 block that holds a guard record. The guard must stay out of Velmo's
// lists; it gets an ID no listed guard has.
Chunk HiddenGuardBlock(std::uint8_t guardId, ContentRandom& random) {
  const ObjectRecordType& small = ObjectRecordTypeOf(0x02);
  const ObjectRecordType& twelve = ObjectRecordTypeOf(0x0E);
  for (;;) {
    GuardPlan plan{GuardKind::kOrdinary, 0, false, false, false, std::nullopt};
    std::array<ByteBuffer, 3> inner = {
        MakeSkippedRecord(small, random),
        MakeGuardRecord(GuardFieldsFor(plan, guardId, level::kDam, random), random),
        MakeSkippedRecord(twelve, random)};
    std::optional<ByteBuffer> block = MakeBlock(object_type::kTagBlock, inner, random);
    std::uint32_t guardAt =
        BlockOpenerLength(object_type::kTagBlock) + static_cast<std::uint32_t>(inner[0].size());
    if (block) return {*block, guardAt};
  }
}

Chunk PlainBlock(std::uint8_t code, ContentRandom& random) {
  for (;;) {
    std::vector<ByteBuffer> inner;
    std::uint32_t count = random.Between(1, 3);
    for (std::uint32_t record = 0; record < count; ++record) {
      inner.push_back(MakeSkippedRecord(ObjectRecordTypeOf(random.OneIn(2) ? 0x02 : 0x12), random));
    }
    std::optional<ByteBuffer> block = MakeBlock(code, inner, random);
    if (block) return {*block, std::nullopt};
  }
}

bool IsKeptType(std::uint8_t code) {
  return code == object_type::kProp || code == object_type::kKey || code == object_type::kWeapon ||
         code == object_type::kGuard || code == object_type::kAttachment;
}

std::vector<Chunk> OtherChunks(LevelId level, Layout layout, std::uint8_t hiddenGuardId,
                               ContentRandom& random) {
  bool rich = IsRich(level, layout);
  std::vector<Chunk> chunks;
  for (const ObjectRecordType& type : kObjectRecordTypes) {
    if (IsKeptType(type.code) || type.shape == RecordShape::kBlock) continue;
    // Cuba's space is tiny: it holds only about half of the kinds.
    if (level == level::kCuba && random.OneIn(2)) continue;
    std::uint32_t count = rich ? random.Between(1, type.shape == RecordShape::kFixed ? 4 : 3) : 1;
    for (std::uint32_t copy = 0; copy < count; ++copy) {
      chunks.push_back({MakeSkippedRecord(type, random), std::nullopt});
    }
  }
  std::uint32_t props = rich ? random.Between(10, 40) : random.Between(1, 3);
  for (std::uint32_t prop = 0; prop < props; ++prop) {
    chunks.push_back({MakePropRecord(static_cast<std::uint8_t>(random.Between(0x20, 0xF0)), random),
                      std::nullopt});
  }
  std::uint32_t looseWeapons = rich ? random.Between(3, 10) : 1;
  for (std::uint32_t weapon = 0; weapon < looseWeapons; ++weapon) {
    chunks.push_back(
        {MakeWeaponRecord(RandomWeapon(kNoHolder, weapon == 0, random), random), std::nullopt});
  }
  std::uint32_t looseAttachments = rich ? random.Between(1, 3) : 1;
  for (std::uint32_t attachment = 0; attachment < looseAttachments; ++attachment) {
    chunks.push_back(
        {MakeAttachmentRecord(Pick(kAttachmentModels, random), kNoHolder, random), std::nullopt});
  }
  if (level != level::kCuba) chunks.push_back(HiddenGuardBlock(hiddenGuardId, random));
  std::uint32_t plainBlocks = rich ? random.Between(1, 3) : 1;
  for (std::uint32_t block = 0; block < plainBlocks; ++block) {
    chunks.push_back(PlainBlock(
        block == 0 ? object_type::kObjectiveBlock
                   : (random.OneIn(2) ? object_type::kTagBlock : object_type::kObjectiveBlock),
        random));
  }
  Shuffle(chunks, random);
  return chunks;
}

// Interleaves the three runs at random while keeping each run's own order:
// the order of guards and of keys is what Velmo's level rules count by.
std::vector<Chunk> Interleave(std::array<std::vector<Chunk>, 3> runs, ContentRandom& random) {
  std::vector<Chunk> merged;
  std::array<std::size_t, 3> next = {0, 0, 0};
  for (;;) {
    std::uint32_t left = 0;
    for (std::size_t run = 0; run < runs.size(); ++run) {
      left += static_cast<std::uint32_t>(runs[run].size() - next[run]);
    }
    if (left == 0) return merged;
    std::uint32_t pick = random.Below(left);
    for (std::size_t run = 0; run < runs.size(); ++run) {
      std::uint32_t remaining = static_cast<std::uint32_t>(runs[run].size() - next[run]);
      if (pick < remaining) {
        merged.push_back(std::move(runs[run][next[run]++]));
        break;
      }
      pick -= remaining;
    }
  }
}

void AppendObjectList(SetupCore& core, LevelId level, Layout layout, ContentRandom& random) {
  std::vector<GuardPlan> plans = PlanGuards(level, layout, random);
  std::vector<std::uint8_t> guardIds = AssignGuardIds(level, plans.size(), random);
  std::uint8_t hiddenGuardId =
      static_cast<std::uint8_t>(*std::max_element(guardIds.begin(), guardIds.end()) + 1);

  std::vector<Chunk> guards;
  for (std::size_t index = 0; index < plans.size(); ++index) {
    guards.push_back(GuardChunk(plans[index], guardIds[index], level, random));
  }
  std::vector<Chunk> keys = KeyChunks(level, layout, guardIds, random);
  std::vector<Chunk> others = OtherChunks(level, layout, hiddenGuardId, random);

  core.notes.objectListOffset = static_cast<std::uint32_t>(core.bytes.size());
  for (Chunk& chunk : Interleave({std::move(guards), std::move(keys), std::move(others)}, random)) {
    std::uint32_t at = static_cast<std::uint32_t>(core.bytes.size());
    if (chunk.hiddenGuardAt) core.notes.hiddenGuardOffsets.push_back(at + *chunk.hiddenGuardAt);
    Append(core.bytes, chunk.bytes);
  }
  Append(core.bytes, MakeEndOfListRecord());
  core.notes.objectListEnd = static_cast<std::uint32_t>(core.bytes.size());
}

// Spawn points, then the starting weapons and their ammunition set by set,
// then the cameras and the rest; Cuba ends with the credits.
void AppendIntroBlock(SetupCore& core, LevelId level, Layout layout, ContentRandom& random) {
  bool rich = IsRich(level, layout);
  core.notes.introOffset = static_cast<std::uint32_t>(core.bytes.size());
  std::uint32_t spawns = rich ? random.Between(2, 6) : 1;
  for (std::uint32_t spawn = 0; spawn < spawns; ++spawn)
    Append(core.bytes, MakeIntroRecord(0, random));

  std::uint32_t sets = random.Between(2, 4);
  std::uint32_t dualSet = random.Below(sets);
  for (std::uint32_t set = 0; set < sets; ++set) {
    std::uint8_t weapon = static_cast<std::uint8_t>(random.Between(1, 0x20));
    std::optional<std::uint8_t> second;
    if (set == dualSet || random.OneIn(4)) second = weapon;
    Append(core.bytes, MakeStartWeaponRecord(weapon, second, static_cast<std::uint8_t>(set)));
    Append(core.bytes, MakeStartAmmoRecord(static_cast<std::uint8_t>(random.Between(1, 0x1D)),
                                           static_cast<std::uint8_t>(random.Between(7, 200)),
                                           static_cast<std::uint8_t>(set)));
  }
  for (std::uint8_t type = 3; type <= 7; ++type) {
    std::uint32_t count = (type == 3 || type == 6) && rich ? random.Between(1, 3) : 1;
    for (std::uint32_t copy = 0; copy < count; ++copy)
      Append(core.bytes, MakeIntroRecord(type, random));
  }
  if (level == level::kCuba) Append(core.bytes, MakeCreditsRecord(random));
  Append(core.bytes, MakeIntroEndRecord());
}

// The pad-name table that the header's last word points at, between the
// header and the intro block.
void AppendPadNames(SetupCore& core, ContentRandom& random) {
  std::uint32_t names = random.Between(4, 16);
  for (std::uint32_t name = 0; name < names; ++name) {
    ByteBuffer word(4);
    StoreBigEndian32(word.data(), 0x00010000u + 16 * name);
    Append(core.bytes, word);
  }
}

}  // namespace

SetupCore BuildSetupCore(LevelId level, Layout layout, ContentRandom& random) {
  SetupCore core;
  core.bytes.assign(kSetupHeaderLength, 0);
  AppendPadNames(core, random);
  StoreBigEndian32(&core.bytes[28], kSetupHeaderLength);
  AppendIntroBlock(core, level, layout, random);
  AppendObjectList(core, level, layout, random);
  StoreBigEndian32(&core.bytes[8], core.notes.introOffset);
  StoreBigEndian32(&core.bytes[12], core.notes.objectListOffset);
  return core;
}

}  // namespace velmo::image_builder
