#include "platform/pause.h"

#include <cstdio>
#include <cstdlib>

#include "platform/windows/windows_api.h"

namespace velmo::platform {
namespace {

// Only a console input has a console mode. The C runtime's _isatty is no test:
// it is also true for the NUL device, which scripts and CI hand the tool.
bool StandardInputIsConsole() {
  const HANDLE input = GetStdHandle(STD_INPUT_HANDLE);
  if (input == INVALID_HANDLE_VALUE || input == nullptr) return false;
  DWORD mode = 0;
  return GetConsoleMode(input, &mode) != 0;
}

}  // namespace

void WaitForKeyPress() {
  if (!StandardInputIsConsole()) return;
  // The prompt is written by the command interpreter, after what is buffered.
  std::fflush(stdout);
  [[maybe_unused]] const int status = std::system("pause");
}

}  // namespace velmo::platform
