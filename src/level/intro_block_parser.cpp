// The walk over a setup file's intro block, which collects the weapons and
// ammunition the player starts the level with.

#include <array>
#include <optional>
#include <string>

#include "level/goldeneye_level.h"
#include "level/setup_records.h"
#include "support/buffer_words.h"
#include "support/logger.h"
#include "support/number_text.h"

namespace velmo {
namespace {

// The header word at offset 8 has to be readable.
constexpr std::size_t kMinimumSetupSize = 12;
// The block offset may point this far past the end before it is refused outright.
constexpr std::uint64_t kBlockOffsetSlack = 8;

// What the parse does with an intro record of a given type code.
enum class IntroHandling : std::uint8_t {
  kSkip,             // stepped over unread
  kKeepStartWeapon,  // type 1
  kKeepStartAmmo,    // type 2
  kCredits,          // type 8: only Cuba's intro ends with the credits
  kEndOfBlock,       // type 9
};

struct IntroRecordType {
  IntroHandling handling;
  std::uint8_t length;  // for the skipped and kept records only
};

using enum IntroHandling;

// Every type code the intro block defines, indexed by the code itself; higher
// codes end the parse with a warning.
constexpr std::array<IntroRecordType, 10> kIntroRecordTypes = {{
    /* 0 */ {kSkip, 12},
    /* 1 */ {kKeepStartWeapon, start_weapon_record::kLength},
    /* 2 */ {kKeepStartAmmo, start_ammo_record::kLength},
    /* 3 */ {kSkip, 32},
    /* 4 */ {kSkip, 8},
    /* 5 */ {kSkip, 8},
    /* 6 */ {kSkip, 40},
    /* 7 */ {kSkip, 12},
    /* 8 */ {kCredits, 0},
    /* 9 */ {kEndOfBlock, 0},
}};

constexpr char kOperation[] = "GoldeneyeLevel::ProcessStartingBlock(): ";

void LogRunsPastEnd(std::size_t position) {
  LogError(std::string(kOperation) + "Intro record at offset [" +
           DecimalText(static_cast<std::uint32_t>(position)) +
           "] runs past the end of the setup data! Intro parsing has failed");
}

StartWeaponEntry ReadStartWeapon(const std::uint8_t* record, std::uint32_t offset) {
  using namespace start_weapon_record;
  // The weapon in the second field wins over the first whenever it is present.
  const std::uint8_t second = record[kSecondWeaponByte];
  return {.recordOffset = offset,
          .weaponId = second != kNoWeapon ? second : record[kFirstWeaponByte],
          .secondWeaponId = 0,
          .set = record[kSetByte]};
}

StartAmmoEntry ReadStartAmmo(const std::uint8_t* record, std::uint32_t offset) {
  using namespace start_ammo_record;
  return {.recordOffset = offset,
          .ammoType = record[kAmmoTypeByte],
          .amount = record[kAmountByte],
          .set = record[kSetByte]};
}

// Handles the record at `position` and gives the position of the next one,
// or nothing when the block ends here.
std::optional<std::size_t> ParseIntroRecord(GoldeneyeLevel& model, std::size_t position) {
  const ByteBuffer& data = model.setupData;
  if (!RecordFits(data.size(), position, kRecordHeaderLength)) {
    LogRunsPastEnd(position);
    return std::nullopt;
  }
  const std::uint8_t type = data[position + kRecordTypeByte];
  if (type >= kIntroRecordTypes.size()) {
    LogWarn(std::string(kOperation) + "Encountered unexpected Intro block type!");
    return std::nullopt;
  }
  const IntroRecordType& rule = kIntroRecordTypes[type];
  if (rule.handling == kEndOfBlock) return std::nullopt;
  if (rule.handling == kCredits) {
    if (model.levelId != level::kCuba) {
      LogWarn(std::string(kOperation) + "Encountered credit block in a level other than Cuba!");
    }
    return std::nullopt;
  }
  if (!RecordFits(data.size(), position, rule.length)) {
    LogRunsPastEnd(position);
    return std::nullopt;
  }
  const std::uint8_t* record = data.data() + position;
  const auto offset = static_cast<std::uint32_t>(position);
  if (rule.handling == kKeepStartWeapon)
    model.startWeapons.push_back(ReadStartWeapon(record, offset));
  if (rule.handling == kKeepStartAmmo) model.startAmmo.push_back(ReadStartAmmo(record, offset));
  return position + rule.length;
}

}  // namespace

void GoldeneyeLevel::ProcessStartingBlock() {
  if (setupData.size() < kMinimumSetupSize) {
    LogError(std::string(kOperation) + "Setup file size [" +
             DecimalText(static_cast<std::uint32_t>(setupData.size())) + "] indicates corruption!");
    return;
  }
  const std::uint32_t blockOffset = GetDWORDFromOffset(setupData, kIntroBlockOffsetWord);
  if (blockOffset > std::uint64_t{setupData.size()} + kBlockOffsetSlack) {
    LogError(std::string(kOperation) + "Offset to intro data block is not valid!");
    return;
  }
  std::optional<std::size_t> position = blockOffset;
  while (position) position = ParseIntroRecord(*this, *position);
}

}  // namespace velmo
