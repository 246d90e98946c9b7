#include "platform/pause.h"

#include <termios.h>
#include <unistd.h>

#include <cstdio>

namespace velmo::platform {

void WaitForKeyPress() {
  if (isatty(STDIN_FILENO) != 1) return;
  std::fputs("Press any key to continue . . . ", stdout);
  std::fflush(stdout);

  termios saved{};
  const bool haveSettings = tcgetattr(STDIN_FILENO, &saved) == 0;
  if (haveSettings) {
    termios raw = saved;
    raw.c_lflag &= ~static_cast<tcflag_t>(ICANON | ECHO);
    raw.c_cc[VMIN] = 1;
    raw.c_cc[VTIME] = 0;
    tcsetattr(STDIN_FILENO, TCSANOW, &raw);
  }
  char key = 0;
  [[maybe_unused]] const ssize_t got = read(STDIN_FILENO, &key, 1);
  if (haveSettings) tcsetattr(STDIN_FILENO, TCSANOW, &saved);
  std::fputs("\n", stdout);
  std::fflush(stdout);
}

}  // namespace velmo::platform
