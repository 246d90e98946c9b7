#pragma once

#include <cstddef>
#include <cstdint>

// The layout of a BPS patch, the format the common N64 patchers apply: the
// magic, three numbers (source size, target size, metadata size), the
// metadata, the actions, and a footer of three little-endian CRC-32s (source,
// target, and the patch up to its last four bytes).
namespace velmo::bps {

inline constexpr std::uint8_t kMagic[] = {'B', 'P', 'S', '1'};
inline constexpr std::size_t kMagicSize = sizeof(kMagic);
inline constexpr std::size_t kFooterSize = 12;

// The two low bits of an action's first number; the rest is its length less one.
enum class ActionKind : std::uint8_t {
  kSourceRead = 0,  // the source's bytes at the output offset
  kTargetRead = 1,  // bytes that follow in the patch
  kSourceCopy = 2,  // the source's bytes at the source's relative offset
  kTargetCopy = 3,  // bytes already written, at the target's relative offset
};

inline constexpr int kActionKindBits = 2;

}  // namespace velmo::bps
