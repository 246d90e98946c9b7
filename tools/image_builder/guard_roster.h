#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "image_builder/content_random.h"
#include "image_builder/image_options.h"
#include "image_builder/setup_records.h"
#include "level/level_catalogue.h"

// The guards of one level: how many, of which body groups, armed or not, and
// the bytes of their records. Every level but Cuba gets at least one guard
// of each group Velmo treats differently; Facility's guard entry 64 is
// Trevelyan.
namespace velmo::image_builder {

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
  // Two guns, one in each hand: the second carries the left-hand and paired
  // flags (byte 8 = 0x90), which a write-back must keep.
  bool dualWield = false;
};

// Realistic levels carry many records of every kind; small ones (and Cuba,
// whose space in the image is tiny) only a few.
bool IsRichLevel(LevelId level, Layout layout);

// The guards of the level in file order.
std::vector<GuardPlan> PlanGuards(LevelId level, Layout layout, ContentRandom& random);

// Guard IDs for `count` guards in file order.
std::vector<std::uint8_t> AssignGuardIds(LevelId level, std::size_t count, ContentRandom& random);

// Gives the guards of Facility, Silo, Caves and Bunker 2 the IDs the game's
// own levels use where Velmo's rules name guards: the scientists (body type
// 35) are exactly the civilians the mission counts, and Bunker 2 holds the
// guards behind key card 1's doors among others; Facility's guard 47 is an
// armed guard, for the door decoder that lies on pad 47. Other levels are
// left as they are.
void UseGameGuardIds(LevelId level, std::vector<GuardPlan>& plans, std::vector<std::uint8_t>& ids);

// The door decoder lies on Facility's pad 47, which its record names where a
// held weapon names its guard.
inline constexpr std::uint8_t kDecoderPad = 47;

GuardFields GuardFieldsFor(const GuardPlan& plan, std::uint8_t guardId, LevelId level,
                           ContentRandom& random);

}  // namespace velmo::image_builder
