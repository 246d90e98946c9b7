#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "level/level_catalogue.h"
#include "support/byte_buffer.h"

// Reads a cartridge image the way a test wants to compare it: inflates the
// file table and every setup file with zlib directly and walks the intro
// blocks and object lists with its own statement of the record formats, so
// that what it reports does not depend on Velmo's own parsers. End-to-end
// tests inspect an image before and after a run and compare the lists.
namespace velmo::testing {

// A complete raw deflate stream behind the two block header bytes.
struct InflatedBlock {
  bool complete = false;     // the stream reached its end
  std::uint32_t length = 0;  // header and stream bytes consumed
  ByteBuffer data;
};

// Inflates the block that starts at bytes[0]; reads no further than bytes.
InflatedBlock InflateBlock(std::span<const std::uint8_t> bytes);

struct TableEntryView {
  std::uint32_t position = 0;  // of the entry in the inflated table
  std::uint32_t assetId = 0;
  std::uint32_t secondWord = 0;
  std::uint32_t imageOffset = 0;
};

struct TextPairView {
  TableEntryView english;
  TableEntryView japanese;
  // Image bytes from the English offset up to the Japanese offset; empty when
  // the offsets are out of order or outside the image.
  ByteBuffer englishText;
};

struct IntroRecordView {
  std::uint32_t offset = 0;
  std::uint8_t type = 0;
};

struct StartWeaponView {
  std::uint32_t offset = 0;
  std::uint8_t byte7 = 0;
  std::uint32_t secondField = 0;  // bytes 8 to 11
  std::uint8_t set = 0;           // byte 15
};

struct StartAmmoView {
  std::uint32_t offset = 0;
  std::uint8_t ammoType = 0;  // byte 7
  std::uint8_t amount = 0;    // byte 11
  std::uint8_t set = 0;       // byte 15
};

struct ObjectRecordView {
  std::uint32_t offset = 0;
  std::uint8_t type = 0;
  std::uint32_t length = 0;  // a block's runs up to and including its 00 00 00 18
};

struct GuardView {
  std::uint32_t offset = 0;
  std::uint8_t guardId = 0;   // byte 5
  std::uint8_t bodyType = 0;  // byte 9
  std::uint8_t byte10 = 0;
  std::uint8_t byte11 = 0;
  std::uint8_t flags = 0;  // byte 21
};

struct WeaponView {
  std::uint32_t offset = 0;
  std::uint8_t modelId = 0;   // byte 5
  std::uint8_t holderId = 0;  // byte 7
  std::uint8_t byte8 = 0;
  std::uint8_t weaponId = 0;  // byte 128
};

// Keys, attachments and props: model at byte 5, holder (or pad) at byte 7.
struct ItemView {
  std::uint32_t offset = 0;
  std::uint8_t modelId = 0;
  std::uint8_t holderId = 0;
};

// One inflated setup file, walked.
struct SetupView {
  std::uint32_t introOffset = 0;
  std::uint32_t objectListOffset = 0;
  std::vector<IntroRecordView> intro;  // every record, the final 8 or 9 included
  std::vector<StartWeaponView> startWeapons;
  std::vector<StartAmmoView> startAmmo;
  std::vector<ObjectRecordView> objects;  // every record, the final 0x30 included
  std::vector<GuardView> guards;          // outside blocks only, as the game counts them
  std::vector<WeaponView> weapons;
  std::vector<ItemView> attachments;
  std::vector<ItemView> keys;
  std::vector<ItemView> props;
  // Empty when the walk ended at its end record; otherwise what stopped it.
  std::string introProblem;
  std::string objectProblem;
};

SetupView WalkSetup(std::span<const std::uint8_t> data);

// One setup entry of the table with its file.
struct SetupFileView {
  TableEntryView entry;
  std::optional<SetupFileInfo> catalogue;  // by the entry's asset identifier
  InflatedBlock block;                     // inflated from the entry's offset on
  SetupView setup;                         // walked when the block is complete
};

struct ImageView {
  InflatedBlock table;                       // from 0x21990
  std::vector<TableEntryView> setupEntries;  // the 21 from 0x26FB0
  std::vector<TextPairView> textPairs;       // the 44 from 0x270AC
  std::vector<SetupFileView> setups;         // one per setup entry
};

// Stays within the image whatever it holds; parts it cannot read come back
// empty.
ImageView InspectImage(std::span<const std::uint8_t> image);

std::uint32_t ReadWord(std::span<const std::uint8_t> bytes, std::uint32_t offset);

}  // namespace velmo::testing
