#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace velmo {

// The words a game hash is spoken in: names from the game (characters,
// weapons, places), one word each, all different. Index 6 is Klobb, so that
// CRC-32 1A2B3C4D reads "Klobb Jaws Dam Moonraker".
inline constexpr std::array<std::string_view, 64> kGameHashWords = {
    "Bond",       "Natalya", "Trevelyan",   "Xenia",    "Ourumov",   "Boris",     "Klobb",
    "Mishkin",    "Oddjob",  "Mayday",      "Baron",    "Valentin",  "Doak",      "Janus",
    "Goldeneye",  "Phantom", "Laser",       "Magnum",   "Shotgun",   "Sniper",    "Grenade",
    "Mine",       "Knife",   "Tank",        "Watch",    "Rocket",    "Taser",     "PP7",
    "DD44",       "ZMG",     "RCP90",       "AR33",     "KF7",       "Cougar",    "Jaws",
    "Facility",   "Runway",  "Surface",     "Bunker",   "Silo",      "Frigate",   "Statue",
    "Archives",   "Streets", "Dam",         "Depot",    "Train",     "Jungle",    "Control",
    "Caves",      "Cradle",  "Aztec",       "Egypt",    "Cuba",      "Severnaya", "Arkangelsk",
    "Monaco",     "Siberia", "Kirghizstan", "Slappers", "Moonraker", "Keycard",   "Detonator",
    "Helicopter",
};

// What players compare to know they race the same image: the CRC-32
// (zlib's) of the whole finished image in big-endian order, which any tool
// can confirm from the .z64 file, and the same read as four words: the top
// 24 bits in four groups of six, most significant first, each an index into
// kGameHashWords.
struct GameHash {
  std::uint32_t crc = 0;
  std::string crcText;  // eight upper-case hexadecimal digits
  std::string words;    // four words, one space between them
};

GameHash ComputeGameHash(std::span<const std::uint8_t> image);
// The four words of a CRC-32.
std::string GameHashWords(std::uint32_t crc);

}  // namespace velmo
