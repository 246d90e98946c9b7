#include "patch/source_window_index.h"

#include <algorithm>
#include <limits>

namespace velmo::bps {

namespace {

constexpr int kFewestSlotBits = 10;
constexpr int kMostSlotBits = 20;

std::uint64_t LittleWord64(const std::uint8_t* bytes) {
  std::uint64_t word = 0;
  for (int index = 7; index >= 0; --index) word = word << 8 | bytes[index];
  return word;
}

// A window of one repeated byte (the zeros of freed space, mostly) is left out:
// the target makes such runs from its own bytes more cheaply.
bool IsUniform(std::span<const std::uint8_t, SourceWindowIndex::kWindowSize> window) {
  return std::all_of(window.begin(), window.end(),
                     [&](std::uint8_t byte) { return byte == window[0]; });
}

}  // namespace

SourceWindowIndex::SourceWindowIndex(std::span<const std::uint8_t> source) {
  const std::size_t windows = source.size() / kWindowSize;
  int bits = kFewestSlotBits;
  while (bits < kMostSlotBits && (std::size_t{1} << bits) < windows) ++bits;
  slots_.assign(std::size_t{1} << bits, 0);
  hashShift_ = 64 - bits;
  const std::size_t indexed =
      std::min<std::size_t>(windows, std::numeric_limits<std::uint32_t>::max() - 1);
  for (std::size_t number = 0; number < indexed; ++number) {
    const auto window = source.subspan(number * kWindowSize).first<kWindowSize>();
    if (IsUniform(window)) continue;
    std::uint32_t& slot = slots_[SlotOf(window)];
    if (slot == 0) slot = static_cast<std::uint32_t>(number + 1);
  }
}

std::optional<std::size_t> SourceWindowIndex::Candidate(
    std::span<const std::uint8_t, kWindowSize> window) const {
  const std::uint32_t slot = slots_[SlotOf(window)];
  if (slot == 0) return std::nullopt;
  return std::size_t{slot - 1} * kWindowSize;
}

std::size_t SourceWindowIndex::SlotOf(std::span<const std::uint8_t, kWindowSize> window) const {
  const std::uint64_t low = LittleWord64(window.data());
  const std::uint64_t high = LittleWord64(window.data() + 8);
  std::uint64_t hash = low * 0x9E3779B97F4A7C15ull ^ (high + 0x632BE59BD9B4E019ull);
  hash *= 0xC2B2AE3D27D4EB4Full;
  hash ^= hash >> 31;
  hash *= 0x9E3779B97F4A7C15ull;
  return static_cast<std::size_t>(hash >> hashShift_);
}

}  // namespace velmo::bps
