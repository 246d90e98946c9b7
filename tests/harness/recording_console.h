#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/console.h"
#include "support/logger.h"

namespace velmo::testing {

// A console that keeps what was written, with the colour it was written in,
// and takes over all console output while it lives.
class RecordingConsole final : public platform::Console {
 public:
  struct Piece {
    std::uint16_t attribute;
    std::string text;
  };

  RecordingConsole() : redirect_(*this) {}

  void SetAttribute(std::uint16_t attribute) override {
    attribute_ = attribute;
    attributeChanges_.push_back(attribute);
  }
  void Write(std::string_view text) override;
  void Flush() override {}

  // Everything written, as plain text.
  std::string Text() const;
  // The text split into lines (without their line feeds).
  std::vector<std::string> Lines() const;
  // The lines that start with the given level word, e.g. "ERROR ".
  std::vector<std::string> LinesStartingWith(const std::string& prefix) const;
  const std::vector<Piece>& Pieces() const { return pieces_; }
  std::uint16_t CurrentAttribute() const { return attribute_; }
  const std::vector<std::uint16_t>& AttributeChanges() const { return attributeChanges_; }
  void Clear() {
    pieces_.clear();
    attributeChanges_.clear();
  }

 private:
  std::uint16_t attribute_ = kColourDefault;
  std::vector<Piece> pieces_;
  std::vector<std::uint16_t> attributeChanges_;
  ScopedConsoleRedirect redirect_;
};

}  // namespace velmo::testing
