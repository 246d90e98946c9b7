#pragma once

#include <string>

#include "app/config_file.h"
#include "rom/byte_buffer.h"
#include "rom/mapped_rom_file.h"

namespace velmo {

class RandomSource;

// Everything one run works on: the image copy, the inflated file table with
// the setup files found in it, the new checksum texts and the configuration.
// LoadInROM runs the processing steps in their fixed order and stops at the
// first failure. Teardown runs in reverse member order, so the configuration
// is saved first. The random source must outlive the object.
class ROM {
 public:
  ROM(std::string romPath, std::string configPath, RandomSource& random);
  ROM(const ROM&) = delete;
  ROM& operator=(const ROM&) = delete;

  bool LoadInROM();

 private:
  bool LoadFile();
  bool ProcessROMHeader();
  bool RecalculateAndUpdateCRC();
  bool UpdateRDB();
  void IncrementRandomisedROMs();

  std::string romPath;
  std::string crc1Text;
  std::string crc2Text;
  MappedRomFile romFile;
  ByteBuffer inflated21990;
  ConfigFile config;
  RandomSource& random;
};

}  // namespace velmo
