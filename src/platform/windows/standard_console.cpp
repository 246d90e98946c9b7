#include <cstdio>

#include "platform/console.h"
#include "platform/windows/windows_api.h"

namespace velmo::platform {
namespace {

// The Windows console: colours are the console's own text attributes, set on
// the standard-output handle, which is fetched once and kept for the life of
// the process. When standard output is not a console (a pipe or a file) the
// attribute calls fail; that is ignored and the text is written all the same.
class WindowsConsole final : public Console {
 public:
  void SetAttribute(std::uint16_t attribute) override {
    // Text already buffered belongs to the previous colour.
    std::fflush(stdout);
    SetConsoleTextAttribute(OutputHandle(), attribute);
  }
  void Write(std::string_view text) override { std::fwrite(text.data(), 1, text.size(), stdout); }
  void Flush() override { std::fflush(stdout); }

 private:
  HANDLE OutputHandle() {
    if (outputHandle_ == INVALID_HANDLE_VALUE) outputHandle_ = GetStdHandle(STD_OUTPUT_HANDLE);
    return outputHandle_;
  }

  HANDLE outputHandle_ = INVALID_HANDLE_VALUE;
};

}  // namespace

Console& StandardConsole() {
  static WindowsConsole console;
  return console;
}

}  // namespace velmo::platform
