#include "patch/source_window_index.h"

#include <algorithm>

namespace velmo::bps {

namespace {

constexpr int kFewestSlotBits = 10;
constexpr int kMostSlotBits = 20;
constexpr int kNumberBits = 22;
constexpr std::uint32_t kNumberMask = (std::uint32_t{1} << kNumberBits) - 1;
constexpr std::size_t kMostWindows = kNumberMask - 1;

std::uint32_t TagOf(std::uint64_t hash) {
  return static_cast<std::uint32_t>(hash) & ~kNumberMask;
}

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

std::uint64_t Hash(std::span<const std::uint8_t, SourceWindowIndex::kWindowSize> window) {
  const std::uint64_t low = LittleWord64(window.data());
  const std::uint64_t high = LittleWord64(window.data() + 8);
  std::uint64_t hash = low * 0x9E3779B97F4A7C15ull ^ (high + 0x632BE59BD9B4E019ull);
  hash *= 0xC2B2AE3D27D4EB4Full;
  hash ^= hash >> 31;
  hash *= 0x9E3779B97F4A7C15ull;
  return hash;
}

}  // namespace

SourceWindowIndex::SourceWindowIndex(std::span<const std::uint8_t> source) {
  const std::size_t windows = source.size() / kWindowSize;
  int bits = kFewestSlotBits;
  while (bits < kMostSlotBits && (std::size_t{1} << bits) < windows) ++bits;
  slots_.assign(std::size_t{1} << bits, 0);
  hashShift_ = 64 - bits;
  const std::size_t indexed = std::min(windows, kMostWindows);
  for (std::size_t number = 0; number < indexed; ++number) {
    const auto window = source.subspan(number * kWindowSize).first<kWindowSize>();
    if (IsUniform(window)) continue;
    const std::uint64_t hash = Hash(window);
    std::uint32_t& slot = slots_[static_cast<std::size_t>(hash >> hashShift_)];
    if (slot == 0) slot = static_cast<std::uint32_t>(number + 1) | TagOf(hash);
  }
}

std::optional<std::size_t> SourceWindowIndex::Candidate(
    std::span<const std::uint8_t, kWindowSize> window) const {
  const std::uint64_t hash = Hash(window);
  const std::uint32_t slot = slots_[static_cast<std::size_t>(hash >> hashShift_)];
  if (slot == 0 || (slot & ~kNumberMask) != TagOf(hash)) return std::nullopt;
  return std::size_t{(slot & kNumberMask) - 1} * kWindowSize;
}

}  // namespace velmo::bps
