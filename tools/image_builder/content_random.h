#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <utility>
#include <vector>

namespace velmo::image_builder {

// The generator's own pseudo-random stream (SplitMix64), so that an image is
// the same on every platform for a given content seed. Each part of the image
// draws from its own stream, named by a tag, so that changing one part (a bad
// variant, a bigger setup file) leaves the bytes of every other part alone.
class ContentRandom {
 public:
  ContentRandom(std::uint64_t contentSeed, std::uint64_t streamTag);

  std::uint64_t Next();
  // A value from 0 to bound - 1; bound must not be 0.
  std::uint32_t Below(std::uint32_t bound);
  // A value from low to high, both included.
  std::uint32_t Between(std::uint32_t low, std::uint32_t high);
  // True once in `chances` draws on average.
  bool OneIn(std::uint32_t chances);
  std::uint8_t Byte();
  void Fill(std::span<std::uint8_t> bytes);

 private:
  std::uint64_t state_;
};

template <typename T, std::size_t N>
T Pick(const std::array<T, N>& values, ContentRandom& random) {
  return values[random.Below(N)];
}

template <typename T>
void Shuffle(std::vector<T>& values, ContentRandom& random) {
  for (std::size_t index = values.size(); index > 1; --index) {
    std::swap(values[index - 1], values[random.Below(static_cast<std::uint32_t>(index))]);
  }
}

// Stream tags of the image's parts. Level streams are kLevelBase + 16 * level
// index in file-table order + a part number.
namespace stream {
inline constexpr std::uint64_t kImageFiller = 1;
inline constexpr std::uint64_t kBootCode = 2;
inline constexpr std::uint64_t kTable = 3;
inline constexpr std::uint64_t kTextBanks = 4;
inline constexpr std::uint64_t kTableOverflow = 5;
inline constexpr std::uint64_t kLevelBase = 0x100;
}  // namespace stream

}  // namespace velmo::image_builder
