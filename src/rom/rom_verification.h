#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "assets/data_block.h"
#include "assets/setup_file_entry.h"
#include "assets/table_write_back.h"
#include "assets/text_banks.h"
#include "cartridge/checksum.h"

namespace velmo {

// What the run meant to write, as the steps that wrote the image kept it. The
// references must outlive the check.
struct IntendedImage {
  std::span<const std::uint8_t> inflated21990;
  const WrittenTableBlock& tableBlock;
  const std::vector<SetupFileEntry>& setupFiles;
  const std::vector<MovedTextBank>& movedBanks;
  HeaderChecksum checksum;
  // Where the region's image keeps the table block and its text-bank entries.
  DataBlockPlace dataBlock = NorthAmericanDataBlock();
  TextBankTable textBanks = {};
};

// Reads a randomised image back and checks it against what the run meant to
// write: the file-table block holds exactly the table (the block that was
// written from it, or one that inflates to it) and is followed by zeros up to
// the end of its room; every setup file lies where that table says and
// holds, within its own space (so the files neither overlap nor reach the
// lowest text bank kept), the complete stream the run compressed it into, or
// else one that inflates to exactly its randomised bytes; every text bank the
// region reads lies at its table offset with the length and CRC-32 it had
// before it was moved, and the other banks of its group are empty; and the
// header holds the checksum words computed for the finished image.
//
// A stream found byte for byte as it was written is not inflated again: it
// was complete when made, and zlib gives back what it compressed.
//
// Logs nothing when all holds. Otherwise logs one ERROR line for the first
// difference, saying what differs and where, and returns false.
bool VerifyRandomisedROM(std::span<const std::uint8_t> image, const IntendedImage& intended);

}  // namespace velmo
