#include "emulator/rdb_update.h"

#include <cstdint>
#include <fstream>

#include "app/config_file.h"
#include "app/logger.h"

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
  std::ofstream database(path, std::ios::out | std::ios::app);
  if (!database) {
    LogError("ROM::UpdateRDB(): Unable to load [" + path + "] PJ64 RDB file!");
    LogError("ROM::UpdateRDB(): Check PJ64 is not running");
    return true;
  }
  database << BuildRdbSection(crc1Text, crc2Text);
  database.close();
  LogSuccess("ROM::UpdateRDB(): Updated Project 64 RDB entry file");
  return true;
}

}  // namespace velmo
