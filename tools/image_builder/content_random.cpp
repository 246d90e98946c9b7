#include "image_builder/content_random.h"

namespace velmo::image_builder {
namespace {

std::uint64_t Mix(std::uint64_t value) {
  value = (value ^ (value >> 30)) * 0xBF58476D1CE4E5B9ull;
  value = (value ^ (value >> 27)) * 0x94D049BB133111EBull;
  return value ^ (value >> 31);
}

}  // namespace

ContentRandom::ContentRandom(std::uint64_t contentSeed, std::uint64_t streamTag)
    : state_(Mix(contentSeed) ^ Mix(streamTag * 0x9E3779B97F4A7C15ull + 1)) {}

std::uint64_t ContentRandom::Next() {
  state_ += 0x9E3779B97F4A7C15ull;
  return Mix(state_);
}

std::uint32_t ContentRandom::Below(std::uint32_t bound) {
  return static_cast<std::uint32_t>((Next() >> 32) % bound);
}

std::uint32_t ContentRandom::Between(std::uint32_t low, std::uint32_t high) {
  return low + Below(high - low + 1);
}

bool ContentRandom::OneIn(std::uint32_t chances) {
  return Below(chances) == 0;
}

std::uint8_t ContentRandom::Byte() {
  return static_cast<std::uint8_t>(Next() >> 56);
}

void ContentRandom::Fill(std::span<std::uint8_t> bytes) {
  std::size_t index = 0;
  for (; index + 8 <= bytes.size(); index += 8) {
    std::uint64_t word = Next();
    for (int byte = 0; byte < 8; ++byte) {
      bytes[index + byte] = static_cast<std::uint8_t>(word >> (56 - 8 * byte));
    }
  }
  std::uint64_t word = Next();
  for (int byte = 0; index < bytes.size(); ++byte, ++index) {
    bytes[index] = static_cast<std::uint8_t>(word >> (56 - 8 * byte));
  }
}

}  // namespace velmo::image_builder
