#include "patch/bps_patch_writer.h"

#include <algorithm>
#include <cstring>

#include "patch/bps_format.h"
#include "patch/bps_number.h"
#include "patch/source_window_index.h"
#include "support/content_crc.h"

namespace velmo {

namespace {

using bps::ActionKind;
using bps::SourceWindowIndex;

// An action is taken over stored bytes only when it saves at least this many
// bytes of patch, counting the stored run it interrupts.
constexpr std::size_t kLeastSaving = 2;

std::size_t CommonLength(std::span<const std::uint8_t> left, std::span<const std::uint8_t> right) {
  const std::size_t most = std::min(left.size(), right.size());
  std::size_t length = 0;
  while (length + 8 <= most && std::memcmp(left.data() + length, right.data() + length, 8) == 0) {
    length += 8;
  }
  while (length < most && left[length] == right[length]) ++length;
  return length;
}

void AppendLittleWord(ByteBuffer& out, std::uint32_t word) {
  for (int shift = 0; shift < 32; shift += 8)
    out.push_back(static_cast<std::uint8_t>(word >> shift));
}

// One action the encoder may write for the target bytes at [start, start + length).
struct Candidate {
  ActionKind kind = ActionKind::kTargetRead;
  std::size_t start = 0;
  std::size_t length = 0;
  std::size_t from = 0;  // the source or target offset a copy reads from
  std::size_t cost = 0;  // the action's bytes in the patch

  std::size_t Saving() const { return length > cost ? length - cost : 0; }
};

// Writes the actions greedily, left to right: at each offset it weighs reading
// the source in place, copying from where the last source copy ended or from
// an indexed source window, and repeating the byte before, and takes the
// action that saves most; bytes no action covers are stored.
class ActionEncoder {
 public:
  ActionEncoder(std::span<const std::uint8_t> source, std::span<const std::uint8_t> target,
                ByteBuffer& out)
      : source_(source), target_(target), index_(source), out_(out) {}

  void Encode() {
    std::size_t at = 0;
    while (at < target_.size()) {
      const Candidate best = BestAt(at);
      if (best.Saving() < kLeastSaving) {
        ++at;
        continue;
      }
      StoreUpTo(best.start);
      Write(best);
      at = best.start + best.length;
      stored_ = at;
    }
    StoreUpTo(target_.size());
  }

 private:
  Candidate BestAt(std::size_t at) const {
    Candidate best;
    for (const Candidate& candidate :
         {SourceReadAt(at), SourceCopyAt(at, sourceRelative_), IndexedCopyAt(at), RepeatAt(at)}) {
      if (candidate.Saving() > best.Saving()) best = candidate;
    }
    return best;
  }

  Candidate SourceReadAt(std::size_t at) const {
    if (at >= source_.size()) return {};
    const std::size_t length = CommonLength(source_.subspan(at), target_.subspan(at));
    return {ActionKind::kSourceRead, at, length, at, ActionCost(length)};
  }

  // A source copy from `from`, grown back over the bytes not yet written.
  Candidate SourceCopyAt(std::size_t at, std::size_t from) const {
    if (from >= source_.size()) return {};
    std::size_t length = CommonLength(source_.subspan(from), target_.subspan(at));
    if (length == 0) return {};
    while (at > stored_ && from > 0 && target_[at - 1] == source_[from - 1]) {
      --at;
      --from;
      ++length;
    }
    const std::size_t cost = ActionCost(length) + StepCost(sourceRelative_, from);
    return {ActionKind::kSourceCopy, at, length, from, cost};
  }

  Candidate IndexedCopyAt(std::size_t at) const {
    if (target_.size() - at < SourceWindowIndex::kWindowSize) return {};
    const auto window = target_.subspan(at).first<SourceWindowIndex::kWindowSize>();
    const auto from = index_.Candidate(window);
    if (!from) return {};
    return SourceCopyAt(at, *from);
  }

  // Repeats the byte before `at`: a target copy one byte back, which the
  // reader makes byte by byte.
  Candidate RepeatAt(std::size_t at) const {
    if (at == 0) return {};
    const std::uint8_t repeated = target_[at - 1];
    std::size_t length = 0;
    while (at + length < target_.size() && target_[at + length] == repeated) ++length;
    const std::size_t cost = ActionCost(length) + StepCost(targetRelative_, at - 1);
    return {ActionKind::kTargetCopy, at, length, at - 1, cost};
  }

  static std::uint64_t ActionNumber(ActionKind kind, std::size_t length) {
    return (std::uint64_t{length} - 1) << bps::kActionKindBits | static_cast<std::uint64_t>(kind);
  }
  static std::size_t ActionCost(std::size_t length) {
    return length == 0 ? 0 : bps::NumberSize(ActionNumber(ActionKind::kSourceRead, length));
  }
  static std::uint64_t StepNumber(std::size_t relative, std::size_t to) {
    if (to >= relative) return std::uint64_t{to - relative} << 1;
    return std::uint64_t{relative - to} << 1 | 1;
  }
  static std::size_t StepCost(std::size_t relative, std::size_t to) {
    return bps::NumberSize(StepNumber(relative, to));
  }

  void StoreUpTo(std::size_t end) {
    if (end <= stored_) return;
    bps::AppendNumber(out_, ActionNumber(ActionKind::kTargetRead, end - stored_));
    out_.insert(out_.end(), target_.begin() + stored_, target_.begin() + end);
    stored_ = end;
  }

  void Write(const Candidate& action) {
    bps::AppendNumber(out_, ActionNumber(action.kind, action.length));
    if (action.kind == ActionKind::kSourceCopy) {
      bps::AppendNumber(out_, StepNumber(sourceRelative_, action.from));
      sourceRelative_ = action.from + action.length;
    } else if (action.kind == ActionKind::kTargetCopy) {
      bps::AppendNumber(out_, StepNumber(targetRelative_, action.from));
      targetRelative_ = action.from + action.length;
    }
  }

  std::span<const std::uint8_t> source_;
  std::span<const std::uint8_t> target_;
  SourceWindowIndex index_;
  ByteBuffer& out_;
  std::size_t stored_ = 0;  // the target bytes before this offset are in the patch
  std::size_t sourceRelative_ = 0;
  std::size_t targetRelative_ = 0;
};

}  // namespace

ByteBuffer CreateBpsPatch(std::span<const std::uint8_t> source,
                          std::span<const std::uint8_t> target, std::string_view metadata) {
  ByteBuffer patch(std::begin(bps::kMagic), std::end(bps::kMagic));
  bps::AppendNumber(patch, source.size());
  bps::AppendNumber(patch, target.size());
  bps::AppendNumber(patch, metadata.size());
  patch.insert(patch.end(), metadata.begin(), metadata.end());
  ActionEncoder(source, target, patch).Encode();
  AppendLittleWord(patch, ContentCrc32(source));
  AppendLittleWord(patch, ContentCrc32(target));
  AppendLittleWord(patch, ContentCrc32(patch));
  return patch;
}

}  // namespace velmo
