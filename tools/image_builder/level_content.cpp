#include "image_builder/level_content.h"

#include <algorithm>
#include <array>
#include <optional>
#include <stdexcept>

#include "image_builder/guard_roster.h"
#include "image_builder/setup_records.h"
#include "support/buffer_words.h"

namespace velmo::image_builder {
namespace {

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
// Facility's door decoder, item 38, a weapon record that lies on a pad.
constexpr std::uint8_t kDecoderWeaponId = 38;
constexpr std::uint8_t kDecoderModel = 0xC5;
constexpr std::uint8_t kGadgetFlag = 0x01;
constexpr std::uint8_t kDualWieldSecondGunFlags = 0x90;

constexpr std::array<std::uint8_t, 5> kKeyModels = {86, 243, 244, 10, 247};
constexpr std::array<std::uint8_t, 6> kAttachmentModels = {214, 217, 218, 219, 221, 223};

constexpr std::size_t kBunker2Keys = 6;
constexpr std::size_t kFacilityKeys = 2;

// A run of records that stays together in the object list: a guard with the
// things it holds, or one other record.
struct Chunk {
  ByteBuffer bytes;
  std::optional<std::uint32_t> hiddenGuardAt;
};

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
    WeaponFields fields = RandomWeapon(guardId, unusual, random);
    if (plan.dualWield) fields.byte8 = weapon == 0 ? 0x00 : kDualWieldSecondGunFlags;
    Append(chunk.bytes, MakeWeaponRecord(fields, random));
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
  return random.Below(IsRichLevel(level, layout) ? 4 : 2);
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
  bool rich = IsRichLevel(level, layout);
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

void AppendObjectList(SetupCore& core, LevelId level, Layout layout, bool gameLikeLevels,
                      ContentRandom& random) {
  std::vector<GuardPlan> plans = PlanGuards(level, layout, random);
  std::vector<std::uint8_t> guardIds = AssignGuardIds(level, plans.size(), random);
  if (gameLikeLevels) UseGameGuardIds(level, plans, guardIds);
  std::uint8_t hiddenGuardId =
      static_cast<std::uint8_t>(*std::max_element(guardIds.begin(), guardIds.end()) + 1);

  std::vector<Chunk> guards;
  for (std::size_t index = 0; index < plans.size(); ++index) {
    if (gameLikeLevels) plans[index].dualWield = plans[index].weapons == 2;
    // The game's decoder comes before the gun of the guard whose ID is its pad.
    if (gameLikeLevels && level == level::kFacility && guardIds[index] == kDecoderPad) {
      WeaponFields decoder{kDecoderModel, kDecoderPad, kGadgetFlag, kDecoderWeaponId};
      guards.push_back({MakeWeaponRecord(decoder, random), std::nullopt});
    }
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
void AppendIntroBlock(SetupCore& core, LevelId level, Layout layout, bool gameLikeLevels,
                      ContentRandom& random) {
  bool rich = IsRichLevel(level, layout);
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
    // The game's own starting weapons leave their second field empty (FF).
    if (gameLikeLevels) second.reset();
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

SetupCore BuildSetupCore(LevelId level, Layout layout, bool gameLikeLevels, ContentRandom& random) {
  SetupCore core;
  core.bytes.assign(kSetupHeaderLength, 0);
  AppendPadNames(core, random);
  StoreBigEndian32(&core.bytes[28], kSetupHeaderLength);
  AppendIntroBlock(core, level, layout, gameLikeLevels, random);
  AppendObjectList(core, level, layout, gameLikeLevels, random);
  StoreBigEndian32(&core.bytes[8], core.notes.introOffset);
  StoreBigEndian32(&core.bytes[12], core.notes.objectListOffset);
  return core;
}

}  // namespace velmo::image_builder
