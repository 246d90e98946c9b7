#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace velmo::bps {

// Where in the source image a run of target bytes may have come from: the
// source's 16-byte windows at every 16th offset, by a hash of their bytes. A
// run of 31 bytes or more that the source holds anywhere contains one of these
// windows (of the first 64 MiB). The table has one slot per hash value, at
// most 2^20 of them (4 MiB, whatever the image's size), and keeps the first
// window of each hash, so the index is the same on every platform. Each slot
// also keeps ten more bits of the hash, which turn away most false candidates
// without a look at the source. It holds no pointer into the source.
class SourceWindowIndex {
 public:
  static constexpr std::size_t kWindowSize = 16;

  explicit SourceWindowIndex(std::span<const std::uint8_t> source);

  // A source offset whose window has the same hash as the 16 bytes at
  // `window`, or nothing. The caller compares the bytes.
  std::optional<std::size_t> Candidate(std::span<const std::uint8_t, kWindowSize> window) const;

 private:
  // Low bits: the window's offset divided by its size, plus one, or zero for
  // an empty slot. High bits: the hash's tag.
  std::vector<std::uint32_t> slots_;
  int hashShift_ = 0;
};

}  // namespace velmo::bps
