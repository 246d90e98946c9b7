#include <array>

#include "level/goldeneye_level.h"
#include "randomise/body_type_range.h"
#include "randomise/draws.h"
#include "support/logger.h"
#include "support/number_text.h"

namespace velmo {
namespace {

// The named characters (Bond's allies and enemies, Trev among them at 9):
// guard randomisation never touches them, and the Nemesis wears them.
constexpr std::array<BodyTypeRange, 2> kCharacterBodyTypes = {{{6, 16}, {79, 79}}};

enum class OfficerRule {
  kConvert,       // a common guard with an officer form
  kKeep,          // already an officer, or a guard without another form
  kNeverConvert,  // characters and bodies that must keep their look
};

struct OfficerConversion {
  BodyTypeRange bodyTypes;
  OfficerRule rule;
  std::uint32_t officerBodyType;  // only for kConvert
};

// Every body type from 0 to 40, and 79; anything else is unknown to the game.
constexpr std::array<OfficerConversion, 17> kOfficerConversions = {{
    {{0, 0}, OfficerRule::kConvert, 24},
    {{1, 1}, OfficerRule::kKeep, 0},
    {{2, 3}, OfficerRule::kConvert, 18},
    {{4, 4}, OfficerRule::kConvert, 22},
    {{5, 16}, OfficerRule::kNeverConvert, 0},
    {{17, 17}, OfficerRule::kConvert, 4},
    {{18, 18}, OfficerRule::kKeep, 0},
    {{19, 19}, OfficerRule::kConvert, 18},
    {{20, 20}, OfficerRule::kKeep, 0},
    {{21, 21}, OfficerRule::kConvert, 25},
    {{22, 22}, OfficerRule::kKeep, 0},
    {{23, 25}, OfficerRule::kNeverConvert, 0},
    {{26, 36}, OfficerRule::kKeep, 0},
    {{37, 37}, OfficerRule::kConvert, 18},
    {{38, 38}, OfficerRule::kConvert, 1},
    {{39, 40}, OfficerRule::kKeep, 0},
    {{79, 79}, OfficerRule::kNeverConvert, 0},
}};

struct AttachmentModel {
  BodyTypeRange bodyTypes;
  std::uint32_t modelId;
  // The game's lookup takes one generator value for these bodies and then
  // ignores it; taking it keeps every later draw of a seed in its place.
  bool takesUnusedDraw;
};

// The object a promoted guard carries (hat or helmet), by body type; covers
// the same body types as kOfficerConversions.
constexpr std::uint32_t kPlainAttachmentModel = 217;
constexpr std::array<AttachmentModel, 18> kAttachmentModels = {{
    {{0, 0}, kPlainAttachmentModel, false},
    {{1, 1}, 214, false},
    {{2, 3}, 223, false},
    {{4, 4}, 221, true},
    {{5, 16}, kPlainAttachmentModel, false},
    {{17, 17}, 221, true},
    {{18, 18}, 223, false},
    {{19, 21}, kPlainAttachmentModel, false},
    {{22, 22}, 223, false},
    {{23, 27}, kPlainAttachmentModel, false},
    {{28, 28}, 223, false},
    {{29, 34}, kPlainAttachmentModel, false},
    {{35, 35}, 223, false},
    {{36, 36}, kPlainAttachmentModel, false},
    {{37, 37}, 223, false},
    {{38, 38}, 221, true},
    {{39, 40}, 219, false},
    {{79, 79}, kPlainAttachmentModel, false},
}};

void WarnUnexpectedBodyType(std::uint32_t bodyType) {
  LogWarn("GoldeneyeLevel::GetOfficerBodyTypeFromCommonType(): Encountered unexpected body type [" +
          DecimalText(bodyType) + "]!");
}

}  // namespace

bool IsCharacterBodyType(std::uint32_t bodyType) {
  return AnyRangeContains(kCharacterBodyTypes, bodyType);
}

std::uint32_t GoldeneyeLevel::GetOfficerBodyTypeFromCommonType(std::uint32_t bodyType) {
  for (const OfficerConversion& conversion : kOfficerConversions) {
    if (!conversion.bodyTypes.Contains(bodyType)) continue;
    switch (conversion.rule) {
      case OfficerRule::kConvert:
        return conversion.officerBodyType;
      case OfficerRule::kKeep:
        return bodyType;
      case OfficerRule::kNeverConvert:
        LogWarn("GoldeneyeLevel::GetOfficerBodyTypeFromCommonType(): Encountered body type [" +
                DecimalText(bodyType) + "] which should not be converted!");
        return bodyType;
    }
  }
  WarnUnexpectedBodyType(bodyType);
  return bodyType;
}

std::uint32_t GoldeneyeLevel::GetAttachmentModelForBodyType(std::uint32_t bodyType) {
  for (const AttachmentModel& attachment : kAttachmentModels) {
    if (!attachment.bodyTypes.Contains(bodyType)) continue;
    if (attachment.takesUnusedDraw) random.Draw();
    return attachment.modelId;
  }
  // Both lookups report a body type the game does not know with the same
  // text, under the officer conversion's name.
  WarnUnexpectedBodyType(bodyType);
  return kPlainAttachmentModel;
}

}  // namespace velmo
