#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <initializer_list>
#include <optional>
#include <vector>

#include "randomise/random_source.h"

namespace velmo::testing {

// Hands out the given values in order. Taking more draws than scripted fails
// the test at once; leaving some untaken fails it when the source is destroyed.
class ScriptedRandom final : public RandomSource {
 public:
  ScriptedRandom(std::initializer_list<std::uint32_t> values) : values_(values) {}
  explicit ScriptedRandom(std::vector<std::uint32_t> values) : values_(std::move(values)) {}
  ~ScriptedRandom() override { EXPECT_EQ(next_, values_.size()) << "scripted draws left untaken"; }
  ScriptedRandom(const ScriptedRandom&) = delete;
  ScriptedRandom& operator=(const ScriptedRandom&) = delete;

  std::uint32_t Draw() override {
    if (next_ >= values_.size()) {
      ADD_FAILURE() << "unexpected extra draw (#" << next_ + 1 << ")";
      return 0;
    }
    return values_[next_++];
  }

  // The script does not depend on a seed; the last seed given is kept so a
  // test can see that one was.
  void Reseed(std::uint32_t seed) override { reseededWith_ = seed; }

  std::size_t DrawsTaken() const { return next_; }
  std::optional<std::uint32_t> ReseededWith() const { return reseededWith_; }

 private:
  std::vector<std::uint32_t> values_;
  std::size_t next_ = 0;
  std::optional<std::uint32_t> reseededWith_;
};

}  // namespace velmo::testing
