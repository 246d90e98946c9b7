#include "emulator/rdb_update.h"

#include <cstdint>
#include <cstdio>
#include <fstream>
#include <optional>
#include <string_view>

#include "emulator/rdb_section_lookup.h"
#include "platform/file_length.h"
#include "platform/file_sync.h"
#include "support/config_file.h"
#include "support/logger.h"
#include "support/number_text.h"

namespace velmo {
namespace {

// Project64 keys a section by the checksum words and the country field: the
// header's region letter in hexadecimal (45 for the E of the NTSC game).
std::string CountryField(const RegionLayout& region) {
  return "C:" + ToUpperHexText(region.countryCode).substr(6);
}

// When no section matches an image's checksum words, Project64 3.0 and later
// look for the one named by the header's internal name and country code, and
// follow its Alt Identifier to the section it names: here the original
// GoldenEye's own of that region.
std::string GameEntryName(const RegionLayout& region) {
  return "GOLDENEYE-" + CountryField(region);
}

std::string OriginalGameSection(const RegionLayout& region) {
  return ToUpperHexText(region.originalChecksum.crc1) + "-" +
         ToUpperHexText(region.originalChecksum.crc2) + "-" + CountryField(region);
}

}  // namespace

std::string BuildRdbSection(const std::string& crc1Text, const std::string& crc2Text,
                            const RegionLayout& region) {
  return "\n[" + crc1Text + "-" + crc2Text + "-" + CountryField(region) +
         "]\n"
         "Good Name=GoldenEye 007 (Randomised by Velmo)\n"
         "Status=Compatible\n"
         "32bit=No\n"
         "Clear Frame=2\n"
         "Culling=1\n"
         "FuncFind=2\n"
         "Rom In Memory=1\n"
         "SMM-Cache=0\n"
         "SMM-FUNC=0\n"
         "SMM-PI DMA=0\n"
         "SMM-TLB=0\n";
}

std::string BuildGameEntry(const RegionLayout& region) {
  return "\n[" + GameEntryName(region) + "]\nAlt Identifier=" + OriginalGameSection(region) + "\n";
}

namespace {

// The path of the database when the options ask for an update; logs why not.
bool DatabaseToUpdate(const ConfigFile& config, std::string& path) {
  std::int32_t update = 0;
  if (!config.GetInt(kUpdatePJ64Key, update)) {
    LogWarn(
        "ROM::UpdateRDB(): Missing entry 'UpdatePJ64' in config file, will not update PJ64 RDB");
    return false;
  }
  if (update == 0) {
    LogWarn("ROM::UpdateRDB(): Option set not to update PJ64 RDB file");
    return false;
  }
  if (!config.GetString(kPJ64RDBFileKey, path)) {
    LogError(
        "ROM::UpdateRDB(): Missing entry 'PJ64RDBFile' in config file, will not update PJ64 RDB!");
    return false;
  }
  return true;
}

void LogUnableToLoad(const std::string& path) {
  LogError("ROM::UpdateRDB(): Unable to load [" + path + "] PJ64 RDB file!");
  LogError("ROM::UpdateRDB(): Check PJ64 is not running");
}

// The text's one write, checked through the flush and the close.
bool WriteAndClose(std::ofstream& database, const std::string& text) {
  database.write(text.data(), static_cast<std::streamsize>(text.size()));
  database.flush();
  const bool written = database.good();
  database.close();
  return written && !database.fail();
}

// Takes back a failed append: cuts the file to the length it had before, or
// removes it when the append created it.
void TakeBackAppend(const std::string& path, std::optional<std::uint64_t> lengthBefore) {
  if (lengthBefore) {
    platform::TruncateFile(path, *lengthBefore);
  } else {
    std::remove(path.c_str());
  }
}

// Appends the text whole or not at all, and logs a failure; true once the
// text is on the disk.
bool AppendToDatabase(const std::string& path, const std::string& text) {
  const std::optional<std::uint64_t> lengthBefore = platform::FileLength(path);
  std::ofstream database(path, std::ios::out | std::ios::app);
  if (!database) {
    LogUnableToLoad(path);
    return false;
  }
  // On the disk before the SUCCESS line: a power cut after it keeps the entry.
  if (WriteAndClose(database, text) && platform::FlushFileToDisk(path)) return true;
  TakeBackAppend(path, lengthBefore);
  LogError("ROM::UpdateRDB(): Failed writing to [" + path +
           "] PJ64 RDB file, it is left as it was!");
  return false;
}

// A second game entry would change nothing, so a database that has one is
// left as it is. One that cannot be read is not appended to either: whether
// it holds the entry is unknown.
void AddGameEntry(const std::string& path, const RegionLayout& region) {
  const std::string name = GameEntryName(region);
  switch (FindRdbSection(path, name)) {
    case RdbSectionLookup::kPresent:
      LogInfo(
          "ROM::UpdateRDB(): The Project 64 entry for every randomised GoldenEye is already "
          "there");
      return;
    case RdbSectionLookup::kUnreadable:
      LogUnableToLoad(path);
      return;
    case RdbSectionLookup::kAbsent:
      break;
  }
  if (AppendToDatabase(path, BuildGameEntry(region))) {
    LogSuccess("ROM::UpdateRDB(): Added the Project 64 entry for every randomised GoldenEye [" +
               name + "]");
  }
}

}  // namespace

bool UpdateRDB(const ConfigFile& config, const std::string& crc1Text, const std::string& crc2Text,
               Pj64Entry entry, const RegionLayout& region) {
  std::string path;
  if (!DatabaseToUpdate(config, path)) return true;
  if (entry == Pj64Entry::kGameEntry) {
    AddGameEntry(path, region);
  } else if (AppendToDatabase(path, BuildRdbSection(crc1Text, crc2Text, region))) {
    LogSuccess("ROM::UpdateRDB(): Updated Project 64 RDB entry file");
  }
  return true;
}

}  // namespace velmo
