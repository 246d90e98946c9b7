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
// windows. The table has one slot per hash value, at most 2^20 of them (4 MiB,
// whatever the image's size), and keeps the first window of each hash, so the
// index is the same on every platform. It holds a view of the source, which
// must outlive it.
class SourceWindowIndex {
 public:
  static constexpr std::size_t kWindowSize = 16;

  explicit SourceWindowIndex(std::span<const std::uint8_t> source);

  // A source offset whose window has the same hash as the 16 bytes at
  // `window`, or nothing. The caller compares the bytes.
  std::optional<std::size_t> Candidate(std::span<const std::uint8_t, kWindowSize> window) const;

 private:
  std::size_t SlotOf(std::span<const std::uint8_t, kWindowSize> window) const;

  // The window's offset divided by its size, plus one; zero for an empty slot.
  std::vector<std::uint32_t> slots_;
  int hashShift_ = 0;
};

}  // namespace velmo::bps
