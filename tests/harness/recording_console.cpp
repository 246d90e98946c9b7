#include "harness/recording_console.h"

namespace velmo::testing {

void RecordingConsole::Write(std::string_view text) {
  if (!pieces_.empty() && pieces_.back().attribute == attribute_) {
    pieces_.back().text += text;
    return;
  }
  pieces_.push_back({attribute_, std::string(text)});
}

std::string RecordingConsole::Text() const {
  std::string text;
  for (const Piece& piece : pieces_) text += piece.text;
  return text;
}

std::vector<std::string> RecordingConsole::Lines() const {
  std::vector<std::string> lines;
  const std::string text = Text();
  size_t start = 0;
  while (start < text.size()) {
    const size_t end = text.find('\n', start);
    if (end == std::string::npos) {
      lines.push_back(text.substr(start));
      break;
    }
    lines.push_back(text.substr(start, end - start));
    start = end + 1;
  }
  return lines;
}

std::vector<std::string> RecordingConsole::LinesStartingWith(const std::string& prefix) const {
  std::vector<std::string> matching;
  for (const std::string& line : Lines()) {
    if (line.rfind(prefix, 0) == 0) matching.push_back(line);
  }
  return matching;
}

}  // namespace velmo::testing
