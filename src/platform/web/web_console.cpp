#include <emscripten.h>

#include "platform/console.h"

namespace velmo::platform {
namespace {

// Hands one piece of text, in its console attribute, to the page's script,
// which shows it in the page's log with that attribute's colour.
EM_JS(void, HandPieceToPage, (int attribute, const char* text, int length),
      { Module["onLogPiece"](attribute, UTF8ToString(text, length)); });

// The page's log in place of a terminal. Every piece reaches the page as it
// is written, so the page follows a run while it goes; nothing is buffered
// here, so Flush has nothing to do.
class PageConsole final : public Console {
 public:
  void SetAttribute(std::uint16_t attribute) override { attribute_ = attribute; }
  void Write(std::string_view text) override {
    if (text.empty()) return;
    HandPieceToPage(attribute_, text.data(), static_cast<int>(text.size()));
  }
  void Flush() override {}

 private:
  std::uint16_t attribute_ = 7;
};

}  // namespace

Console& StandardConsole() {
  static PageConsole console;
  return console;
}

}  // namespace velmo::platform
