// The walk over a setup file's object list, which collects the guards,
// weapons, attachments, props and keys the randomisers work on.

#include <algorithm>
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

// The header word at offset 12 has to be readable.
constexpr std::size_t kMinimumSetupSize = 16;
// The list offset may point this far past the end before it is refused outright.
constexpr std::uint64_t kListOffsetSlack = 12;

// What the parse does with a record of a given type code.
enum class ObjectHandling : std::uint8_t {
  kSkip,            // fixed length, stepped over unread
  kSkipVariable,    // length in bytes 0 and 1, stepped over unread
  kSkipBlock,       // opens a block that runs up to and including 00 00 00 18
  kWarnAndSkip,     // a 0x18 block end with no block open
  kKeepProp,        // 0x03
  kKeepKey,         // 0x04
  kKeepWeapon,      // 0x08
  kKeepGuard,       // 0x09
  kKeepAttachment,  // 0x11
  kEndOfList,       // 0x30
  kUnexpectedZero,  // 0x00: no record has this type, the data is broken
};

struct ObjectRecordType {
  ObjectHandling handling;
  std::uint16_t length;  // for the fixed-length handlings only
};

using enum ObjectHandling;

// Every type code the object list defines, indexed by the code itself.
constexpr std::array<ObjectRecordType, 0x31> kObjectRecordTypes = {{
    /* 0x00 */ {kUnexpectedZero, 0},
    /* 0x01 */ {kSkip, 256},
    /* 0x02 */ {kSkip, 8},
    /* 0x03 */ {kKeepProp, prop_record::kLength},
    /* 0x04 */ {kKeepKey, key_record::kLength},
    /* 0x05 */ {kSkip, 128},
    /* 0x06 */ {kSkip, 236},
    /* 0x07 */ {kSkip, 132},
    /* 0x08 */ {kKeepWeapon, weapon_record::kLength},
    /* 0x09 */ {kKeepGuard, guard_record::kLength},
    /* 0x0A */ {kSkip, 256},
    /* 0x0B */ {kSkip, 596},
    /* 0x0C */ {kSkip, 128},
    /* 0x0D */ {kSkip, 216},
    /* 0x0E */ {kSkip, 12},
    /* 0x0F */ {kSkipVariable, 0},
    /* 0x10 */ {kSkipVariable, 0},
    /* 0x11 */ {kKeepAttachment, attachment_record::kLength},
    /* 0x12 */ {kSkip, 12},
    /* 0x13 */ {kSkip, 16},
    /* 0x14 */ {kSkip, 180},
    /* 0x15 */ {kSkip, 136},
    /* 0x16 */ {kSkip, 16},
    /* 0x17 */ {kSkipBlock, 0},
    /* 0x18 */ {kWarnAndSkip, 16},
    /* 0x19 */ {kSkipBlock, 0},
    /* 0x1A */ {kSkip, 16},
    /* 0x1B */ {kSkipVariable, 0},
    /* 0x1C */ {kSkipVariable, 0},
    /* 0x1D */ {kSkipVariable, 0},
    /* 0x1E */ {kSkipVariable, 0},
    /* 0x1F */ {kSkipVariable, 0},
    /* 0x20 */ {kSkipVariable, 0},
    /* 0x21 */ {kSkip, 40},
    /* 0x22 */ {kSkipVariable, 0},
    /* 0x23 */ {kSkip, 16},
    /* 0x24 */ {kSkip, 128},
    /* 0x25 */ {kSkip, 40},
    /* 0x26 */ {kSkip, 16},
    /* 0x27 */ {kSkip, 176},
    /* 0x28 */ {kSkip, 180},
    /* 0x29 */ {kSkipVariable, 0},
    /* 0x2A */ {kSkip, 128},
    /* 0x2B */ {kSkip, 128},
    /* 0x2C */ {kSkip, 20},
    /* 0x2D */ {kSkip, 224},
    /* 0x2E */ {kSkip, 28},
    /* 0x2F */ {kSkip, 148},
    /* 0x30 */ {kEndOfList, 0},
}};

// A block ends with the header of a bare 0x18 record.
constexpr std::array<std::uint8_t, 4> kBlockEnd = {0x00, 0x00, 0x00, 0x18};

constexpr char kOperation[] = "GoldeneyeLevel::ProcessSetupDataBlock(): ";

std::string OffsetText(std::size_t position) {
  return "[" + DecimalText(static_cast<std::uint32_t>(position)) + "]";
}

void LogRunsPastEnd(std::size_t position) {
  LogError(std::string(kOperation) + "Object record at offset " + OffsetText(position) +
           " runs past the end of the setup data! Setup parsing has failed");
}

void LogUnknownType(std::uint8_t type, std::size_t position) {
  LogError(std::string(kOperation) + "Encountered unknown object type [" + DecimalText(type) +
           "] at offset " + OffsetText(position) + "! Setup parsing has failed");
}

void LogZeroLength(std::uint8_t type, std::size_t position) {
  LogError(std::string(kOperation) + "Object record of type [" + DecimalText(type) +
           "] at offset " + OffsetText(position) + " has a length of 0! Setup parsing has failed");
}

// Where the parse goes on after a block that starts at `position`: right
// after the first 00 00 00 18 found byte by byte from the block's first byte,
// aligned or not. Nothing when the data holds no such sequence.
std::optional<std::size_t> PositionAfterBlock(const ByteBuffer& data, std::size_t position) {
  const auto blockStart = data.begin() + static_cast<std::ptrdiff_t>(position);
  const auto found = std::search(blockStart, data.end(), kBlockEnd.begin(), kBlockEnd.end());
  if (found == data.end()) return std::nullopt;
  return static_cast<std::size_t>(found - data.begin()) + kBlockEnd.size();
}

std::size_t VariableLength(const std::uint8_t* record) {
  return (std::size_t{record[0]} << 8) | std::size_t{record[1]};
}

// Appends the entry for a kept record whose bytes all lie in setupData.
void KeepRecord(GoldeneyeLevel& model, ObjectHandling handling, std::size_t position) {
  const std::uint8_t* record = model.setupData.data() + position;
  const auto offset = static_cast<std::uint32_t>(position);
  switch (handling) {
    case kKeepGuard: {
      const std::uint8_t flags = record[guard_record::kFlagsByte];
      model.guards.push_back({.recordOffset = offset,
                              .bodyType = record[guard_record::kBodyTypeByte],
                              .flagBit0 = (flags & 0x01) != 0,
                              .flagBit1 = (flags & 0x02) != 0,
                              .flagBit2 = (flags & 0x04) != 0,
                              .flagBit3 = (flags & 0x08) != 0,
                              .guardId = record[guard_record::kGuardIdByte],
                              .byte10 = record[guard_record::kByte10],
                              .byte11 = record[guard_record::kByte11]});
      return;
    }
    case kKeepWeapon:
      model.weapons.push_back({.recordOffset = offset,
                               .modelId = record[weapon_record::kModelByte],
                               .weaponId = record[weapon_record::kWeaponIdByte],
                               .byte8Clear = record[weapon_record::kByte8] == 0,
                               .holderId = record[weapon_record::kHolderByte]});
      return;
    case kKeepAttachment:
      model.attachments.push_back({.recordOffset = offset,
                                   .holderId = record[attachment_record::kHolderByte],
                                   .modelId = record[attachment_record::kModelByte]});
      return;
    case kKeepKey:
      model.keys.push_back({.recordOffset = offset,
                            .holderId = record[key_record::kHolderByte],
                            .modelId = record[key_record::kModelByte]});
      return;
    case kKeepProp:
      model.props.push_back({.recordOffset = offset, .modelId = record[prop_record::kModelByte]});
      return;
    default:
      return;
  }
}

// Handles the record at `position` and gives the position of the next one,
// or nothing when the list ends here (its end record, or a fault).
std::optional<std::size_t> ParseObjectRecord(GoldeneyeLevel& model, std::size_t position) {
  const ByteBuffer& data = model.setupData;
  if (!RecordFits(data.size(), position, kRecordHeaderLength)) {
    LogRunsPastEnd(position);
    return std::nullopt;
  }
  const std::uint8_t type = data[position + kRecordTypeByte];
  if (type >= kObjectRecordTypes.size()) {
    LogUnknownType(type, position);
    return std::nullopt;
  }
  const ObjectRecordType& rule = kObjectRecordTypes[type];
  switch (rule.handling) {
    case kEndOfList:
      return std::nullopt;
    case kUnexpectedZero:
      LogError("Encountered unexpected 0x00 value! Setup parsing has failed");
      return std::nullopt;
    case kSkipBlock:
      return PositionAfterBlock(data, position);
    case kWarnAndSkip:
      LogWarn("Encountered unaccompanied 0x18 value! Setup parsing may have failed");
      break;
    default:
      break;
  }
  const std::size_t length =
      rule.handling == kSkipVariable ? VariableLength(data.data() + position) : rule.length;
  if (length == 0) {
    // A zero length would leave the parse standing on the same record forever.
    LogZeroLength(type, position);
    return std::nullopt;
  }
  if (!RecordFits(data.size(), position, length)) {
    LogRunsPastEnd(position);
    return std::nullopt;
  }
  KeepRecord(model, rule.handling, position);
  return position + length;
}

}  // namespace

void GoldeneyeLevel::ProcessSetupDataBlock() {
  if (setupData.size() < kMinimumSetupSize) {
    LogError(std::string(kOperation) + "Setup file size [" +
             DecimalText(static_cast<std::uint32_t>(setupData.size())) + "] indicates corruption!");
    return;
  }
  const std::uint32_t listOffset = GetDWORDFromOffset(setupData, kObjectListOffsetWord);
  if (listOffset > std::uint64_t{setupData.size()} + kListOffsetSlack) {
    LogError("Offset to data block is not valid!");
    return;
  }
  std::optional<std::size_t> position = listOffset;
  while (position) position = ParseObjectRecord(*this, *position);
}

}  // namespace velmo
