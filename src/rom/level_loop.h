#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "assets/setup_file_entry.h"
#include "level/level_report.h"
#include "support/byte_buffer.h"

namespace velmo {

class ConfigFile;
class RandomSource;
struct RandomiserSwitches;

// Inflates, randomises and recompresses every setup file in table order,
// clearing each file's old space in the image, keeping the length and CRC-32
// of each randomised file in its record, and gives one report per file of
// what the randomisers did. Each level draws its Nemesis chance (one in five)
// before its randomisers draw, unless the Nemesis is switched off. False when
// any level did not inflate or did not recompress into a complete stream; the
// other levels are still processed.
bool ProcessROM(std::span<std::uint8_t> image, std::vector<SetupFileEntry>& setupFiles,
                const RandomiserSwitches& switches, const ConfigFile& config, RandomSource& random,
                std::vector<LevelReport>& reports);

// Packs the recompressed setup files back into the image in table order, the
// first at its old offset and each further one at the next 16-byte boundary,
// and records the new offsets in the table. Writes nothing and returns false
// when the files would run into the text banks starting at textStart.
bool WriteUpdatedSetups(std::span<std::uint8_t> image,
                        const std::vector<SetupFileEntry>& setupFiles, ByteBuffer& inflated21990,
                        std::uint32_t textStart);

}  // namespace velmo
