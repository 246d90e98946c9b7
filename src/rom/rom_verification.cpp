#include "rom/rom_verification.h"

#include <algorithm>
#include <string>

#include "assets/file_table_layout.h"
#include "assets/text_banks.h"
#include "cartridge/checksum.h"
#include "level/level_catalogue.h"
#include "support/buffer_words.h"
#include "support/codec.h"
#include "support/content_crc.h"
#include "support/logger.h"
#include "support/number_text.h"

namespace velmo {
namespace {

bool ReportDifference(const std::string& what) {
  LogError("ROM::VerifyRandomisedROM(): " + what);
  return false;
}

std::string Hex(std::uint64_t value) {
  return "[" + ToHexText(static_cast<std::uint32_t>(value)) + "]";
}

std::string SetupFileText(const SetupFileEntry& file, std::uint32_t offset) {
  return "Setup file of [" + GetLevelName(file.levelId) + "] at offset " + Hex(offset);
}

std::string ChecksumText(std::uint32_t crc1, std::uint32_t crc2) {
  return "[" + ToUpperHexText(crc1) + "-" + ToUpperHexText(crc2) + "]";
}

bool IsZero(std::uint8_t byte) {
  return byte == 0;
}

// The space holds exactly the block written from this very table, then zeros.
bool HoldsTheWrittenBlock(std::span<const std::uint8_t> space, std::span<const std::uint8_t> table,
                          const WrittenTableBlock& written) {
  if (written.block.empty() || written.block.size() > space.size()) return false;
  const auto after = space.begin() + static_cast<std::ptrdiff_t>(written.block.size());
  return std::equal(written.table.begin(), written.table.end(), table.begin(), table.end()) &&
         std::equal(space.begin(), after, written.block.begin()) &&
         std::all_of(after, space.end(), IsZero);
}

// A block that is not the one written: it must inflate to exactly the table
// and be followed by zeros. reread receives what it inflates to.
bool CheckInflatedTableBlock(std::span<const std::uint8_t> space, std::uint32_t blockOffset,
                             std::span<const std::uint8_t> table, ByteBuffer& reread) {
  std::size_t blockLength = 0;
  if (!DecompressData(space, reread, blockLength)) {
    return ReportDifference("File table block at " + Hex(blockOffset) + " does not inflate");
  }
  const auto [inImage, inMemory] =
      std::mismatch(reread.begin(), reread.end(), table.begin(), table.end());
  if (inImage != reread.end() || inMemory != table.end()) {
    return ReportDifference("File table block at " + Hex(blockOffset) +
                            " differs from the table at table position " +
                            Hex(inImage - reread.begin()));
  }
  const auto filler = std::find_if_not(space.begin() + static_cast<std::ptrdiff_t>(blockLength),
                                       space.end(), IsZero);
  if (filler != space.end()) {
    return ReportDifference("Space after the file table block is not zero at offset " +
                            Hex(blockOffset + (filler - space.begin())));
  }
  return true;
}

// The block holds exactly the table, and the rest of its room is zero. table receives the table as
// the image holds it, which is what the later checks read: inflated21990 itself, or reread when the
// block had to be inflated again.
bool CheckTableBlock(std::span<const std::uint8_t> image, const IntendedImage& intended,
                     ByteBuffer& reread, std::span<const std::uint8_t>& table) {
  const DataBlockPlace& place = intended.dataBlock;
  if (image.size() < std::uint64_t{place.offset} + place.room) {
    return ReportDifference("Image of [" + std::to_string(image.size()) +
                            "] bytes is too short to hold the file table");
  }
  const auto space = image.subspan(place.offset, place.room);
  table = intended.inflated21990;
  if (HoldsTheWrittenBlock(space, table, intended.tableBlock)) return true;
  if (!CheckInflatedTableBlock(space, place.offset, intended.inflated21990, reread)) return false;
  table = reread;
  return true;
}

// Where the file starting at offset must end: at the next file's start, or
// at the lowest text bank kept after the last one.
std::uint64_t SpaceEnd(const std::vector<std::uint32_t>& offsets, std::uint32_t offset,
                       std::uint64_t textStart) {
  std::uint64_t end = textStart;
  for (const std::uint32_t other : offsets) {
    if (other > offset) end = std::min<std::uint64_t>(end, other);
  }
  return end;
}

// The image holds, inside the file's space, exactly the stream the run
// compressed from the randomised file and meant to write there. Anything else
// is inflated to say what differs.
bool HoldsTheWrittenStream(std::span<const std::uint8_t> image,
                           std::span<const std::uint8_t> written, std::uint32_t offset,
                           std::uint64_t end) {
  if (written.empty() || written.size() > end - offset) return false;
  const auto inImage = image.subspan(offset, written.size());
  return std::equal(inImage.begin(), inImage.end(), written.begin());
}

bool CheckSetupFile(std::span<const std::uint8_t> image,
                    const std::vector<SetupFileEntry>& setupFiles,
                    const std::vector<std::uint32_t>& offsets, std::size_t index,
                    std::uint64_t textStart) {
  const SetupFileEntry& file = setupFiles[index];
  const std::uint32_t offset = offsets[index];
  if (offset >= textStart) {
    return ReportDifference(SetupFileText(file, offset) + " lies at or beyond the text banks at " +
                            Hex(textStart));
  }
  for (std::size_t other = 0; other < index; ++other) {
    if (offsets[other] != offset) continue;
    return ReportDifference(SetupFileText(file, offset) + " starts where the setup file of [" +
                            GetLevelName(setupFiles[other].levelId) + "] starts");
  }
  const std::uint64_t end = SpaceEnd(offsets, offset, textStart);
  if (HoldsTheWrittenStream(image, file.setupData, offset, end)) return true;
  ByteBuffer inflated;
  if (!DecompressData(image.subspan(offset, end - offset), inflated)) {
    return ReportDifference(SetupFileText(file, offset) + " does not inflate completely before " +
                            Hex(end));
  }
  if (inflated != file.randomisedData) {
    return ReportDifference(SetupFileText(file, offset) +
                            " does not inflate to its randomised bytes");
  }
  return true;
}

bool CheckSetupFiles(std::span<const std::uint8_t> image, std::span<const std::uint8_t> table,
                     const std::vector<SetupFileEntry>& setupFiles, const TextBankTable& banks) {
  const std::uint64_t textStart =
      std::min<std::uint64_t>(LowestKeptBankOffset(table, banks), image.size());
  std::vector<std::uint32_t> offsets;
  for (const SetupFileEntry& file : setupFiles) {
    offsets.push_back(GetDWORDFromOffset(table, file.tablePosition));
  }
  for (std::size_t index = 0; index < setupFiles.size(); ++index) {
    if (!CheckSetupFile(image, setupFiles, offsets, index, textStart)) return false;
  }
  return true;
}

// The other banks of the kept bank's group: those before it start where it
// starts, those after it where it ends, so that none holds anything.
bool OtherBanksEmpty(std::span<const std::uint8_t> table, const MovedTextBank& bank,
                     const TextLayout& layout, const std::string& where) {
  const std::uint32_t start = GetDWORDFromOffset(table, bank.keptPosition);
  const std::uint32_t groupPosition = bank.keptPosition - layout.keptBank * kTableEntrySize;
  for (std::uint32_t other = 0; other < layout.banksPerGroup; ++other) {
    if (other == layout.keptBank) continue;
    const std::uint32_t offset = GetDWORDFromOffset(table, groupPosition + other * kTableEntrySize);
    const std::uint32_t expected = other < layout.keptBank ? start : start + bank.length;
    if (offset == expected) continue;
    const std::uint32_t end = other < layout.keptBank ? start : offset;
    return ReportDifference(where + " runs from " + Hex(start) + " to " + Hex(end) +
                            " instead of [" + DecimalText(bank.length) + "] bytes");
  }
  return true;
}

bool CheckTextBank(std::span<const std::uint8_t> image, std::span<const std::uint8_t> table,
                   const MovedTextBank& bank, const TextLayout& layout) {
  const std::uint32_t start = GetDWORDFromOffset(table, bank.keptPosition);
  const std::string where = std::string(layout.bankNames[layout.keptBank]) +
                            " text bank at table position " + Hex(bank.keptPosition);
  if (std::uint64_t{start} + bank.length > image.size()) {
    return ReportDifference(where + " runs from " + Hex(start) + " beyond the image");
  }
  if (!OtherBanksEmpty(table, bank, layout, where)) return false;
  if (ContentCrc32(image.subspan(start, bank.length)) != bank.crc32) {
    return ReportDifference(where + " does not hold its text at offset " + Hex(start));
  }
  return true;
}

// The words the checksum step computed over the finished image: nothing
// writes to the image after that step, so computing them again would only
// repeat it.
bool CheckHeaderChecksum(std::span<const std::uint8_t> image, HeaderChecksum computed) {
  if (image.size() < kChecksummedImageSize) {
    return ReportDifference("Image of [" + std::to_string(image.size()) +
                            "] bytes is too short to checksum");
  }
  const std::uint32_t stored1 = LoadBigEndian32(image.data() + kCrc1Offset);
  const std::uint32_t stored2 = LoadBigEndian32(image.data() + kCrc2Offset);
  if (stored1 == computed.crc1 && stored2 == computed.crc2) return true;
  return ReportDifference("Header checksum " + ChecksumText(stored1, stored2) + " at " +
                          Hex(kCrc1Offset) + " differs from the one computed for the image " +
                          ChecksumText(computed.crc1, computed.crc2));
}

}  // namespace

bool VerifyRandomisedROM(std::span<const std::uint8_t> image, const IntendedImage& intended) {
  ByteBuffer reread;
  std::span<const std::uint8_t> table;
  if (!CheckTableBlock(image, intended, reread, table)) return false;
  if (!CheckSetupFiles(image, table, intended.setupFiles, intended.textBanks)) return false;
  for (const MovedTextBank& bank : intended.movedBanks) {
    if (!CheckTextBank(image, table, bank, *intended.textBanks.layout)) return false;
  }
  return CheckHeaderChecksum(image, intended.checksum);
}

}  // namespace velmo
