#include "emulator/rdb_section_lookup.h"

#include <algorithm>
#include <cstdint>
#include <fstream>
#include <optional>
#include <vector>

#include "platform/file_length.h"

namespace velmo {
namespace {

// Project64's trimming; the CR of a CR LF line end is trimmed with it, so a
// file written on Windows reads the same everywhere.
bool IsBlank(char c) {
  return c == ' ' || c == '\t' || c == '\r';
}

char ToUpperAscii(char c) {
  return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

bool EqualIgnoringCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (ToUpperAscii(a[i]) != ToUpperAscii(b[i])) return false;
  }
  return true;
}

std::string_view TrimOneSpace(std::string_view text) {
  if (text.starts_with(' ')) text.remove_prefix(1);
  if (text.ends_with(' ')) text.remove_suffix(1);
  return text;
}

// The line being read, taken a character at a time: trimmed, each run of
// blanks inside it folded to one space. The name looked for has no blanks, so
// folding changes no answer, and a line longer than "[ name ]" can be
// dropped as soon as it grows past that.
class SectionLine {
 public:
  explicit SectionLine(std::string_view name) : name(name) {}

  // Takes the next character of the file; true when it ends a line that
  // names the section.
  bool EndsWithTheSection(char c) {
    if (c != '\n') {
      Add(c);
      return false;
    }
    const bool found = NamesTheSection();
    Restart();
    return found;
  }

  bool NamesTheSection() const {
    if (tooLong || text.size() < 2 || text.front() != '[' || text.back() != ']') return false;
    return EqualIgnoringCase(TrimOneSpace(std::string_view(text).substr(1, text.size() - 2)), name);
  }

 private:
  void Add(char c) {
    if (IsBlank(c)) {
      blankPending = !text.empty();
      return;
    }
    if (blankPending) Keep(' ');
    blankPending = false;
    Keep(c);
  }

  void Restart() {
    text.clear();
    blankPending = false;
    tooLong = false;
  }

  void Keep(char c) {
    if (text.size() == name.size() + 4) {
      tooLong = true;
      return;
    }
    text.push_back(c);
  }

  std::string_view name;
  std::string text;
  bool blankPending = false;
  bool tooLong = false;
};

}  // namespace

RdbSectionLookup FindRdbSection(const std::string& path, std::string_view name) {
  const std::optional<std::uint64_t> fileLength = platform::FileLength(path);
  if (!fileLength) return RdbSectionLookup::kAbsent;
  std::ifstream database(path, std::ios::in | std::ios::binary);
  if (!database) return RdbSectionLookup::kUnreadable;
  SectionLine line(name);
  std::vector<char> piece(std::size_t{1} << 16);
  // No further than the length the file had: a device such as /dev/zero, or
  // a file that grows while it is read, would otherwise never end.
  for (std::uint64_t left = *fileLength; left > 0;) {
    const std::size_t wanted =
        static_cast<std::size_t>(std::min<std::uint64_t>(left, piece.size()));
    database.read(piece.data(), static_cast<std::streamsize>(wanted));
    const auto length = static_cast<std::size_t>(database.gcount());
    if (length == 0) break;
    left -= length;
    for (std::size_t i = 0; i < length; ++i) {
      if (line.EndsWithTheSection(piece[i])) return RdbSectionLookup::kPresent;
    }
  }
  if (database.bad()) return RdbSectionLookup::kUnreadable;
  return line.NamesTheSection() ? RdbSectionLookup::kPresent : RdbSectionLookup::kAbsent;
}

}  // namespace velmo
