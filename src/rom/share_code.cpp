#include "rom/share_code.h"

#include <array>

#include "support/number_text.h"

namespace velmo {
namespace {

constexpr char kPartSeparator = '-';

// Digits with no leading zero (a lone 0 is fine), at most maximum: each game
// has exactly one code.
std::optional<std::uint32_t> ParseCanonicalDecimal(std::string_view text, std::uint32_t maximum) {
  if (text.size() > 1 && text.front() == '0') return std::nullopt;
  return ParseDecimal(text, maximum);
}

std::optional<RandomiserSwitches> ParseSwitchDigits(std::string_view text) {
  if (text.size() != kRandomiserSwitchKeys.size()) return std::nullopt;
  RandomiserSwitches switches;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '0' && text[i] != '1') return std::nullopt;
    switches.*kRandomiserSwitchKeys[i].isOn = text[i] == '1';
  }
  return switches;
}

// The three parts between 'R' and the separators; nothing when there are
// not exactly three.
std::optional<std::array<std::string_view, 3>> SplitParts(std::string_view text) {
  if (text.empty() || text.front() != 'R') return std::nullopt;
  text.remove_prefix(1);
  const std::size_t first = text.find(kPartSeparator);
  if (first == std::string_view::npos) return std::nullopt;
  const std::size_t second = text.find(kPartSeparator, first + 1);
  if (second == std::string_view::npos) return std::nullopt;
  if (text.find(kPartSeparator, second + 1) != std::string_view::npos) return std::nullopt;
  return std::array{text.substr(0, first), text.substr(first + 1, second - first - 1),
                    text.substr(second + 1)};
}

std::optional<ShareCode> ParseShareCodeForm(std::string_view text) {
  const auto parts = SplitParts(text);
  if (!parts) return std::nullopt;
  const auto release = ParseCanonicalDecimal((*parts)[0], UINT16_MAX);
  const auto seed = ParseCanonicalDecimal((*parts)[1], UINT32_MAX);
  const auto switches = ParseSwitchDigits((*parts)[2]);
  if (!release || !seed || !switches) return std::nullopt;
  return ShareCode{static_cast<std::uint16_t>(*release), *seed, *switches};
}

}  // namespace

std::string FormatShareCode(const ShareCode& code) {
  std::string switches;
  for (const RandomiserSwitchKey& entry : kRandomiserSwitchKeys) {
    switches += code.switches.*entry.isOn ? '1' : '0';
  }
  return "R" + DecimalText(std::uint32_t{code.releaseNumber}) + kPartSeparator +
         DecimalText(code.seed) + kPartSeparator + switches;
}

ShareCodeReading ReadShareCode(std::string_view text, std::uint16_t thisRelease) {
  const std::string quoted = "ShareCode [" + std::string(text) + "]";
  const std::optional<ShareCode> code = ParseShareCodeForm(text);
  if (!code) {
    return {std::nullopt, quoted + " is not a share code: R<release>-<seed>-<six digits 0 or 1>"};
  }
  if (code->releaseNumber != thisRelease) {
    return {std::nullopt, quoted + " was made by release " +
                              DecimalText(std::uint32_t{code->releaseNumber}) +
                              "; this Velmo is release " + DecimalText(std::uint32_t{thisRelease}) +
                              " and would make a different game"};
  }
  return {code, {}};
}

}  // namespace velmo
