#include "image_builder/text_banks.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <numeric>
#include <string>
#include <string_view>

#include "image_builder/image_options.h"

namespace velmo::image_builder {
namespace {

constexpr std::array<std::string_view, 16> kWords = {
    "agent",  "report", "the",    "satellite", "control",   "door", "guard",   "keycard",
    "bunker", "train",  "escape", "mission",   "objective", "find", "destroy", "disk"};

// ASCII lines tagged with the bank's letter and group: "[E07] <E07:000> ...".
ByteBuffer AsciiText(char letter, int group, std::uint32_t length, ContentRandom& random) {
  std::array<char, 16> tag{};
  std::snprintf(tag.data(), tag.size(), "[%c%02d] ", letter, group);
  std::string text = tag.data();
  for (int line = 0; text.size() < length; ++line) {
    std::array<char, 24> lineTag{};
    std::snprintf(lineTag.data(), lineTag.size(), "<%c%02d:%03d>", letter, group, line);
    text += lineTag.data();
    std::uint32_t words = random.Between(3, 9);
    for (std::uint32_t word = 0; word < words; ++word) {
      text += ' ';
      text += kWords[random.Below(kWords.size())];
    }
    text += '\0';
  }
  text.resize(length);
  return ByteBuffer(text.begin(), text.end());
}

// Shift-JIS-like pairs of a lead byte 0x82 or 0x83 and a trail byte.
ByteBuffer JapaneseText(int group, std::uint32_t length, ContentRandom& random) {
  std::array<char, 16> tag{};
  std::snprintf(tag.data(), tag.size(), "[J%02d]", group);
  ByteBuffer text(tag.data(), tag.data() + std::string_view(tag.data()).size());
  while (text.size() < length) {
    text.push_back(random.OneIn(2) ? 0x82 : 0x83);
    text.push_back(static_cast<std::uint8_t>(random.Between(0x40, 0xFC)));
  }
  text.resize(length);
  return text;
}

ByteBuffer BankText(const TextLayout& layout, std::uint32_t bank, int group, std::uint32_t length,
                    ContentRandom& random) {
  const char letter = layout.bankLetters[bank].front();
  if (letter == 'J') return JapaneseText(group, length, random);
  return AsciiText(letter, group, length, random);
}

// Lengths of the banks between the first group's last bank and the last
// group, in table order, summing to the space between those fixed places.
// Kept banks weigh between 40 and 1600 (one of them nothing), the others
// between 200 and 1200.
std::vector<std::uint32_t> MiddleBankLengths(const TextLayout& layout, int emptyKeptGroup,
                                             ContentRandom& random) {
  const std::uint32_t lastBank = layout.banksPerGroup - 1;
  std::vector<std::uint32_t> weights;
  for (int group = 0; group < static_cast<int>(kTextGroupCount) - 1; ++group) {
    for (std::uint32_t bank = group == 0 ? lastBank : 0; bank <= lastBank; ++bank) {
      if (bank != layout.keptBank) {
        weights.push_back(random.Between(200, 1200));
      } else {
        weights.push_back(group == emptyKeptGroup ? 0 : random.Between(40, 1600));
      }
    }
  }
  const std::uint64_t space = layout.lastGroup.front() - layout.firstGroup[lastBank];
  const std::uint64_t total = std::accumulate(weights.begin(), weights.end(), std::uint64_t{0});
  std::vector<std::uint32_t> lengths;
  std::uint64_t used = 0;
  for (std::uint32_t weight : weights) {
    lengths.push_back(static_cast<std::uint32_t>(weight * space / total));
    used += lengths.back();
  }
  lengths.back() += static_cast<std::uint32_t>(space - used);
  return lengths;
}

// Every bank's length in table order: the first group's banks up to its last
// one and the whole last group as their fixed places give them, the rest
// from the middle.
std::vector<std::uint32_t> BankLengths(const TextLayout& layout, int emptyKeptGroup,
                                       ContentRandom& random) {
  const std::uint32_t banks = layout.banksPerGroup;
  std::vector<std::uint32_t> lengths;
  for (std::uint32_t bank = 0; bank + 1 < banks; ++bank) {
    lengths.push_back(layout.firstGroup[bank + 1] - layout.firstGroup[bank]);
  }
  const std::vector<std::uint32_t> middle = MiddleBankLengths(layout, emptyKeptGroup, random);
  lengths.insert(lengths.end(), middle.begin(), middle.end());
  for (std::uint32_t bank = 0; bank < banks; ++bank) {
    const std::uint32_t end = bank + 1 < banks ? layout.lastGroup[bank + 1] : layout.regionEnd;
    lengths.push_back(end - layout.lastGroup[bank]);
  }
  return lengths;
}

}  // namespace

std::vector<TextGroup> PlanTextBanks(const TextLayout& layout, ContentRandom& random) {
  int emptyKeptGroup = static_cast<int>(random.Between(2, kTextGroupCount - 3));
  if (emptyKeptGroup == fault_target::kOutOfOrderPair) ++emptyKeptGroup;
  const std::vector<std::uint32_t> lengths = BankLengths(layout, emptyKeptGroup, random);

  std::vector<TextGroup> groups;
  std::uint32_t offset = layout.regionStart;
  std::size_t next = 0;
  for (int group = 0; group < static_cast<int>(kTextGroupCount); ++group) {
    TextGroup planned;
    for (std::uint32_t bank = 0; bank < layout.banksPerGroup; ++bank) {
      const std::uint32_t length = lengths[next++];
      planned.banks.push_back({offset, BankText(layout, bank, group, length, random)});
      offset += length;
    }
    groups.push_back(std::move(planned));
  }
  return groups;
}

int EmptyBankGroup(const std::vector<TextGroup>& groups, std::uint32_t bank) {
  for (std::size_t group = 0; group < groups.size(); ++group) {
    if (groups[group].banks.at(bank).text.empty()) return static_cast<int>(group);
  }
  return -1;
}

std::uint32_t BankTotal(const std::vector<TextGroup>& groups, std::uint32_t bank) {
  std::uint32_t total = 0;
  for (const TextGroup& group : groups) {
    total += static_cast<std::uint32_t>(group.banks.at(bank).text.size());
  }
  return total;
}

void WriteTextBanks(std::span<std::uint8_t> image, const std::vector<TextGroup>& groups) {
  for (const TextGroup& group : groups) {
    for (const TextBank& bank : group.banks) {
      std::copy(bank.text.begin(), bank.text.end(), image.begin() + bank.offset);
    }
  }
}

}  // namespace velmo::image_builder
