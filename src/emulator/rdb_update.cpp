#include "emulator/rdb_update.h"

#include <cstdint>
#include <cstdio>
#include <fstream>
#include <optional>

#include "app/config_file.h"
#include "app/logger.h"
#include "platform/file_length.h"
#include "platform/file_sync.h"

namespace velmo {

std::string BuildRdbSection(const std::string& crc1Text, const std::string& crc2Text) {
  // C:45 is the country field: 0x45, the region letter E of the NTSC game.
  return "\n[" + crc1Text + "-" + crc2Text +
         "-C:45]\n"
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

namespace {

// The section's one write, checked through the flush and the close.
bool AppendSection(std::ofstream& database, const std::string& section) {
  database.write(section.data(), static_cast<std::streamsize>(section.size()));
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

}  // namespace

bool UpdateRDB(const ConfigFile& config, const std::string& crc1Text, const std::string& crc2Text) {
  std::int32_t update = 0;
  if (!config.GetInt(kUpdatePJ64Key, update)) {
    LogWarn(
        "ROM::UpdateRDB(): Missing entry 'UpdatePJ64' in config file, will not update PJ64 RDB");
    return true;
  }
  if (update == 0) {
    LogWarn("ROM::UpdateRDB(): Option set not to update PJ64 RDB file");
    return true;
  }
  std::string path;
  if (!config.GetString(kPJ64RDBFileKey, path)) {
    LogError(
        "ROM::UpdateRDB(): Missing entry 'PJ64RDBFile' in config file, will not update PJ64 RDB!");
    return true;
  }
  const std::optional<std::uint64_t> lengthBefore = platform::FileLength(path);
  std::ofstream database(path, std::ios::out | std::ios::app);
  if (!database) {
    LogError("ROM::UpdateRDB(): Unable to load [" + path + "] PJ64 RDB file!");
    LogError("ROM::UpdateRDB(): Check PJ64 is not running");
    return true;
  }
  // On the disk before the SUCCESS line: a power cut after it keeps the entry.
  if (AppendSection(database, BuildRdbSection(crc1Text, crc2Text)) &&
      platform::FlushFileToDisk(path)) {
    LogSuccess("ROM::UpdateRDB(): Updated Project 64 RDB entry file");
    return true;
  }
  TakeBackAppend(path, lengthBefore);
  LogError("ROM::UpdateRDB(): Failed writing to [" + path +
           "] PJ64 RDB file, it is left as it was!");
  return true;
}

}  // namespace velmo
