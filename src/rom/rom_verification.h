#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "assets/setup_file_entry.h"
#include "assets/text_banks.h"

namespace velmo {

// Reads a randomised image back and checks it against what the run meant to
// write: the file-table block inflates to exactly inflated21990 and is
// followed by zeros up to the end of its space; every setup file lies where
// that re-inflated table says and holds, within its own space (so the files
// neither overlap nor reach the lowest English text bank), the stream the run
// compressed it into, or else one that inflates to the length and CRC-32 its
// record kept; every English text bank lies at its table offsets
// with the length and CRC-32 it had before it was moved; and the header
// checksum words are the ones computed afresh from the image.
//
// Logs nothing when all holds. Otherwise logs one ERROR line for the first
// difference, saying what differs and where, and returns false.
bool VerifyRandomisedROM(std::span<const std::uint8_t> image,
                         std::span<const std::uint8_t> inflated21990,
                         const std::vector<SetupFileEntry>& setupFiles,
                         const std::vector<MovedTextBank>& movedBanks);

}  // namespace velmo
