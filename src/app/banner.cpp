#include "app/banner.h"

#include <string>

#include "support/logger.h"

namespace velmo {

void PrintBanner(std::uint16_t releaseNumber) {
  WriteColoured("Velmo", kColourWhite);
  WriteColoured(" by ", kColourDefault);
  WriteColoured("the Velmo team\n", kColourWhite);
  WriteColoured("     Release " + std::to_string(releaseNumber) + "\n", kColourWhite);
  WriteColoured("Report problems with the seed and the log on the project's issue tracker\n\n",
                kColourDefault);
  WriteColoured("Usage: ", kColourDefault);
  WriteColoured("Velmo.exe ", kColourWhite);
  WriteColoured("[Goldeneye Rom file]\n\n", kColourDefault);
  WritePlain(
      "Thanks to everyone who took the game apart and shared what they found,\n"
      "freely, so that tools like this one could be written.\n"
      "\n"
      "Velmo began as a weapon randomiser for the guards of each level and now\n"
      "creates a completely randomised version of the NTSC game every time it is run.\n");
  WritePlain("\n");
  FlushConsole();
}

}  // namespace velmo
