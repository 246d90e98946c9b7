// velmo-seeded SEED VELMO-COMMAND-LINE...
//
// Velmo's own run with the clock replaced by a fixed seed: the words after
// the seed are the command line Velmo would have received (its executable
// path first, then the image). So `velmo-seeded 42 Velmo.exe ge.z64` is the
// run `Velmo.exe ge.z64` makes in a second whose clock reads 42, reading
// Velmo.ini and the release number of Velmo.exe as that run would.
//
// The Linux and Windows builds given the same seed and image must produce the
// same image, log, emulator database section and configuration file;
// scripts/test-windows.sh compares them byte for byte.
#include <charconv>
#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

#include "app/driver.h"

namespace {

bool ParseSeed(std::string_view text, std::uint32_t& seed) {
  const char* end = text.data() + text.size();
  const auto [stop, error] = std::from_chars(text.data(), end, seed);
  return error == std::errc() && stop == end && !text.empty();
}

}  // namespace

int main(int argc, char** argv) {
  std::uint32_t seed = 0;
  if (argc < 3 || !ParseSeed(argv[1], seed)) {
    std::fputs("usage: velmo-seeded SEED VELMO-PATH [IMAGE]\n", stderr);
    return 2;
  }
  const std::vector<std::string> velmoCommandLine(argv + 2, argv + argc);
  return velmo::RunVelmo(velmoCommandLine, [seed] { return seed; });
}
