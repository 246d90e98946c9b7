#pragma once

#include <cstdint>

namespace velmo {

// Where every random choice of a run comes from. One source per run, handed
// to whatever draws; each Draw() is one generator value from 0 to 0x7FFF.
class RandomSource {
 public:
  virtual ~RandomSource() = default;
  virtual std::uint32_t Draw() = 0;
  // Starts the sequence again as a source first given this seed would.
  virtual void Reseed(std::uint32_t seed) = 0;
};

// The classic C runtime generator, written out so that a printed seed replays
// the same run on every platform: state = state * 214013 + 2531011, and each
// draw is bits 16 to 30 of the new state.
class ClassicRandom final : public RandomSource {
 public:
  explicit ClassicRandom(std::uint32_t seed) : state_(seed) {}
  std::uint32_t Draw() override {
    state_ = state_ * 214013u + 2531011u;
    return (state_ >> 16) & 0x7FFFu;
  }
  void Reseed(std::uint32_t seed) override { state_ = seed; }

 private:
  std::uint32_t state_;
};

}  // namespace velmo
