// Feeds thousands of random and damaged setup files to both parsers and the
// write-back. Run under the sanitizer build, any read or write outside the
// setup bytes fails the run; the checks here add the properties that must hold
// for any input.

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "level/goldeneye_level.h"
#include "level/setup_records.h"
#include "level_model_fixture.h"
#include "setup_bytes.h"

namespace velmo {
namespace {

using testing::SetupFile;

constexpr int kCasesPerSeed = 1500;
const std::string kUnaccompanied18 =
    "WARN Encountered unaccompanied 0x18 value! Setup parsing may have failed";

class Fuzzer {
 public:
  explicit Fuzzer(std::uint32_t seed) : engine_(seed) {}

  std::uint32_t Below(std::uint32_t bound) {
    return std::uniform_int_distribution<std::uint32_t>(0, bound - 1)(engine_);
  }
  std::uint8_t Byte() { return static_cast<std::uint8_t>(Below(256)); }
  bool OneIn(std::uint32_t n) { return Below(n) == 0; }

  // A well-formed file of random records, then damaged in a few random ways.
  ByteBuffer MutatedFile() {
    SetupFile file;
    for (std::uint32_t i = Below(7); i > 0; --i) file.Intro(IntroRecord());
    if (!OneIn(10)) file.Intro(testing::EndOfIntro());
    for (std::uint32_t i = Below(24); i > 0; --i) file.Object(ObjectRecord());
    if (!OneIn(10)) file.Object(testing::EndOfObjects());
    ByteBuffer bytes = file.Build();
    Damage(bytes);
    return bytes;
  }

  // Random bytes whose header words usually point somewhere near the data.
  ByteBuffer RandomFile() {
    ByteBuffer bytes(Below(OneIn(4) ? 24 : 600));
    for (std::uint8_t& byte : bytes) byte = OneIn(3) ? 0 : Byte();
    if (bytes.size() >= 16 && !OneIn(5)) {
      StoreBigEndian32(bytes.data() + 8, Below(static_cast<std::uint32_t>(bytes.size()) + 16));
      StoreBigEndian32(bytes.data() + 12, Below(static_cast<std::uint32_t>(bytes.size()) + 16));
    }
    return bytes;
  }

  LevelId Level() { return static_cast<LevelId>(Below(level::kCount)); }

  // Gives every changeable field of every entry a random value.
  void ChangeEntries(GoldeneyeLevel& level) {
    for (GuardEntry& guard : level.guards) {
      guard = {guard.recordOffset, Wide(), OneIn(2), OneIn(2), OneIn(2),
               OneIn(2),           Byte(), Byte(),   Byte()};
    }
    for (WeaponEntry& weapon : level.weapons) {
      weapon = {weapon.recordOffset, Wide(), Wide(), OneIn(2), Byte()};
    }
    for (AttachmentEntry& attachment : level.attachments) {
      attachment = {attachment.recordOffset, Byte(), Wide()};
    }
    for (KeyEntry& key : level.keys) key = {key.recordOffset, Wide(), Wide()};
    for (PropEntry& prop : level.props) prop = {prop.recordOffset, Wide()};
    for (StartWeaponEntry& weapon : level.startWeapons) {
      weapon = {weapon.recordOffset, Wide(), OneIn(2) ? 0 : Wide(),
                static_cast<std::uint16_t>(Wide())};
    }
    for (StartAmmoEntry& ammo : level.startAmmo) {
      ammo = {ammo.recordOffset, Wide(), static_cast<std::uint16_t>(Wide()),
              static_cast<std::uint16_t>(Wide())};
    }
  }

 private:
  std::uint32_t Wide() { return engine_(); }

  ByteBuffer IntroRecord() {
    switch (Below(4)) {
      case 0:
        return testing::StartWeaponRecord(Byte(), OneIn(2) ? 0xFFFFFFFF : engine_(), Byte());
      case 1:
        return testing::StartAmmoRecord(Byte(), Byte(), Byte());
      case 2:
        return testing::Record(static_cast<std::uint8_t>(Below(12)), 4 + 4 * Below(10));
      default:
        return testing::Record(Byte(), 4 + Below(40));
    }
  }

  ByteBuffer ObjectRecord() {
    switch (Below(10)) {
      case 0:
        return testing::GuardRecord(Byte(), Byte(), Byte());
      case 1:
        return testing::WeaponRecord(Byte(), Byte(), OneIn(2) ? 0 : Byte(), Byte());
      case 2:
        return testing::AttachmentRecord(Byte(), Byte());
      case 3:
        return testing::KeyRecord(Byte(), Byte());
      case 4:
        return testing::PropRecord(Byte());
      case 5:  // a block opener, or the bare header that ends a block
        return testing::Record(OneIn(2) ? 0x17 : (OneIn(2) ? 0x19 : 0x18), 4 + 4 * Below(8));
      case 6:
        return testing::VariableRecord(OneIn(2) ? 0x22 : 0x0F,
                                       static_cast<std::uint16_t>(Below(300)));
      default:  // any record, now and then with a type code the list does not define
        return testing::Record(OneIn(6) ? Byte() : static_cast<std::uint8_t>(Below(0x31)),
                               4 + 4 * Below(70));
    }
  }

  void Damage(ByteBuffer& bytes) {
    for (std::uint32_t i = Below(6); i > 0 && !bytes.empty(); --i) {
      bytes[Below(static_cast<std::uint32_t>(bytes.size()))] = OneIn(2) ? 0 : Byte();
    }
    if (OneIn(4)) bytes.resize(Below(static_cast<std::uint32_t>(bytes.size()) + 1));
    if (OneIn(6) && bytes.size() >= 16) {
      const std::uint32_t word = OneIn(2) ? 8 : 12;
      StoreBigEndian32(bytes.data() + word, Below(static_cast<std::uint32_t>(bytes.size()) + 16));
    }
  }

  std::mt19937 engine_;
};

// Where a record of `length` bytes at `offset` lies, for the entry checks.
struct Extent {
  std::uint32_t offset;
  std::size_t length;
};

std::vector<Extent> EntryExtents(const GoldeneyeLevel& level) {
  std::vector<Extent> extents;
  for (const auto& e : level.startWeapons) extents.push_back({e.recordOffset, 16});
  for (const auto& e : level.startAmmo) extents.push_back({e.recordOffset, 16});
  for (const auto& e : level.guards) extents.push_back({e.recordOffset, guard_record::kLength});
  for (const auto& e : level.weapons) extents.push_back({e.recordOffset, weapon_record::kLength});
  for (const auto& e : level.attachments) {
    extents.push_back({e.recordOffset, attachment_record::kLength});
  }
  for (const auto& e : level.props) extents.push_back({e.recordOffset, prop_record::kLength});
  for (const auto& e : level.keys) extents.push_back({e.recordOffset, key_record::kLength});
  return extents;
}

// The bytes a write-back with no change may alter: guard flag bytes, weapon
// byte 8, and the two weapon fields of starting weapons.
std::set<std::size_t> NormalisedBytes(const GoldeneyeLevel& level) {
  std::set<std::size_t> bytes;
  for (const auto& e : level.guards) bytes.insert(e.recordOffset + guard_record::kFlagsByte);
  for (const auto& e : level.weapons) bytes.insert(e.recordOffset + weapon_record::kByte8);
  for (const auto& e : level.startWeapons) {
    for (std::size_t i = 7; i <= 11; ++i) bytes.insert(e.recordOffset + i);
  }
  return bytes;
}

template <typename Entry>
bool InFileOrder(const std::vector<Entry>& entries) {
  return std::is_sorted(entries.begin(), entries.end(), [](const Entry& a, const Entry& b) {
    return a.recordOffset <= b.recordOffset;
  });
}

class SetupParsersFuzzTest : public testing::LevelModelTest {
 protected:
  // Runs one input through both parsers and two write-backs, checking what
  // must hold whatever the bytes.
  void Check(const ByteBuffer& original, LevelId levelId, Fuzzer& fuzzer) {
    console.Clear();
    GoldeneyeLevel& level = Model(original, levelId);
    level.ProcessStartingBlock();
    ASSERT_LE(console.Lines().size(), 1u) << "the intro parse ends with at most one message";
    console.Clear();
    level.ProcessSetupDataBlock();
    const std::vector<std::string> lines = console.Lines();
    ASSERT_LE(std::count_if(lines.begin(), lines.end(),
                            [](const std::string& line) { return line != kUnaccompanied18; }),
              1)
        << "the object parse ends with at most one message";

    for (const Extent& extent : EntryExtents(level)) {
      ASSERT_TRUE(RecordFits(original.size(), extent.offset, extent.length));
    }
    ASSERT_TRUE(InFileOrder(level.guards) && InFileOrder(level.weapons) &&
                InFileOrder(level.attachments) && InFileOrder(level.props) &&
                InFileOrder(level.keys) && InFileOrder(level.startWeapons) &&
                InFileOrder(level.startAmmo));

    console.Clear();
    level.WriteBackToSetup();
    ASSERT_EQ(console.Text(), "");
    ASSERT_EQ(level.setupData.size(), original.size());
    const std::set<std::size_t> normalised = NormalisedBytes(level);
    for (std::size_t i = 0; i < original.size(); ++i) {
      if (level.setupData[i] == original[i]) continue;
      ASSERT_TRUE(normalised.count(i)) << "byte " << i;
    }

    // Changed entries write only inside their own records.
    const ByteBuffer unchanged = level.setupData;
    fuzzer.ChangeEntries(level);
    level.WriteBackToSetup();
    ASSERT_EQ(level.setupData.size(), original.size());
    for (std::size_t i = 0; i < original.size(); ++i) {
      if (level.setupData[i] == unchanged[i]) continue;
      const std::vector<Extent> extents = EntryExtents(level);
      ASSERT_TRUE(std::any_of(extents.begin(), extents.end(),
                              [i](const Extent& extent) {
                                return i >= extent.offset && i < extent.offset + extent.length;
                              }))
          << "byte " << i;
    }
  }
};

TEST_F(SetupParsersFuzzTest, DamagedWellFormedFiles) {
  for (std::uint32_t seed : {1u, 2u}) {
    Fuzzer fuzzer(seed);
    for (int i = 0; i < kCasesPerSeed; ++i) {
      SCOPED_TRACE(::testing::Message() << "seed " << seed << " case " << i);
      const ByteBuffer bytes = fuzzer.MutatedFile();
      ASSERT_NO_FATAL_FAILURE(Check(bytes, fuzzer.Level(), fuzzer));
    }
  }
}

TEST_F(SetupParsersFuzzTest, RandomBytes) {
  for (std::uint32_t seed : {3u, 4u}) {
    Fuzzer fuzzer(seed);
    for (int i = 0; i < kCasesPerSeed; ++i) {
      SCOPED_TRACE(::testing::Message() << "seed " << seed << " case " << i);
      const ByteBuffer bytes = fuzzer.RandomFile();
      ASSERT_NO_FATAL_FAILURE(Check(bytes, fuzzer.Level(), fuzzer));
    }
  }
}

// Entries pointing anywhere, as a damaged model would: the write-back reports
// them and never writes outside the data.
TEST_F(SetupParsersFuzzTest, WriteBackOfEntriesWithStrayOffsets) {
  Fuzzer fuzzer(5);
  for (int i = 0; i < kCasesPerSeed; ++i) {
    const ByteBuffer original(fuzzer.Below(300), 0x5A);
    GoldeneyeLevel& level = Model(original);
    const auto stray = [&fuzzer, &original] {
      return fuzzer.OneIn(3) ? 0xFFFFFFFFu - fuzzer.Below(200)
                             : fuzzer.Below(static_cast<std::uint32_t>(original.size()) + 8);
    };
    level.guards.resize(fuzzer.Below(3));
    level.weapons.resize(fuzzer.Below(3));
    level.attachments.resize(fuzzer.Below(3));
    level.props.resize(fuzzer.Below(3));
    level.keys.resize(fuzzer.Below(3));
    level.startWeapons.resize(fuzzer.Below(3));
    level.startAmmo.resize(fuzzer.Below(3));
    for (auto& e : level.guards) e.recordOffset = stray();
    for (auto& e : level.weapons) e.recordOffset = stray();
    for (auto& e : level.attachments) e.recordOffset = stray();
    for (auto& e : level.props) e.recordOffset = stray();
    for (auto& e : level.keys) e.recordOffset = stray();
    for (auto& e : level.startWeapons) e.recordOffset = stray();
    for (auto& e : level.startAmmo) e.recordOffset = stray();
    fuzzer.ChangeEntries(level);
    const std::vector<Extent> extents = EntryExtents(level);
    const auto outside = std::count_if(extents.begin(), extents.end(), [&](const Extent& e) {
      return !RecordFits(original.size(), e.offset, e.length);
    });
    console.Clear();
    level.WriteBackToSetup();
    ASSERT_EQ(level.setupData.size(), original.size());
    ASSERT_EQ(static_cast<std::ptrdiff_t>(console.LinesStartingWith("ERROR ").size()), outside);
  }
}

}  // namespace
}  // namespace velmo
