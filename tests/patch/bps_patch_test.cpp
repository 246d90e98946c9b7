#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "patch/bps_number.h"
#include "patch/bps_patch_reader.h"
#include "patch/bps_patch_writer.h"
#include "support/content_crc.h"

namespace velmo {
namespace {

ByteBuffer Bytes(std::string_view text) {
  return ByteBuffer(text.begin(), text.end());
}

ByteBuffer RandomBytes(std::size_t size, std::uint32_t seed) {
  std::mt19937 generator(seed);
  ByteBuffer bytes(size);
  for (std::uint8_t& byte : bytes) byte = static_cast<std::uint8_t>(generator());
  return bytes;
}

void AppendLittleWord(ByteBuffer& out, std::uint32_t word) {
  for (int shift = 0; shift < 32; shift += 8)
    out.push_back(static_cast<std::uint8_t>(word >> shift));
}

// The parts of a patch, put together with a correct patch CRC by Assemble.
struct PatchParts {
  std::uint64_t sourceSize;
  std::uint64_t targetSize;
  std::string metadata;
  ByteBuffer actions;
  std::uint32_t sourceCrc;
  std::uint32_t targetCrc;

  ByteBuffer Assemble() const {
    ByteBuffer patch = Bytes("BPS1");
    bps::AppendNumber(patch, sourceSize);
    bps::AppendNumber(patch, targetSize);
    bps::AppendNumber(patch, metadata.size());
    patch.insert(patch.end(), metadata.begin(), metadata.end());
    patch.insert(patch.end(), actions.begin(), actions.end());
    AppendLittleWord(patch, sourceCrc);
    AppendLittleWord(patch, targetCrc);
    AppendLittleWord(patch, ContentCrc32(patch));
    return patch;
  }
};

const ByteBuffer kHandSource = Bytes("ABCDEFGH");
const ByteBuffer kHandTarget = Bytes("ABxyzFGHABABABxyz");

// Every kind of action, each number written out by hand from the format.
PatchParts HandMadeParts() {
  return {8,
          17,
          "hi",
          {
              0x84,                 // SourceRead 2: AB
              0x89, 'x', 'y', 'z',  // TargetRead 3: xyz
              0x8A, 0x8A,           // SourceCopy 3 from +5: FGH
              0x86, 0x91,           // SourceCopy 2 from -8: AB
              0x8F, 0x90,           // TargetCopy 4 from +8: ABAB, overlapping itself
              0x8B, 0x95,           // TargetCopy 3 from -10: xyz
          },
          0x68DCB61C,
          0x582A1073};
}

TEST(BpsNumberTest, EncodesAndDecodesEachNumberOneWay) {
  const std::vector<std::pair<std::uint64_t, ByteBuffer>> cases = {
      {0, {0x80}},         {127, {0xFF}},         {128, {0x00, 0x80}},         {255, {0x7F, 0x80}},
      {256, {0x00, 0x81}}, {16511, {0x7F, 0xFF}}, {16512, {0x00, 0x00, 0x80}},
  };
  for (const auto& [value, bytes] : cases) {
    ByteBuffer encoded;
    bps::AppendNumber(encoded, value);
    EXPECT_EQ(encoded, bytes) << value;
    EXPECT_EQ(bps::NumberSize(value), bytes.size()) << value;
    std::size_t offset = 0;
    std::uint64_t decoded = 1;
    EXPECT_EQ(bps::ReadNumber(bytes, offset, decoded), bps::NumberRead::kRead);
    EXPECT_EQ(decoded, value);
    EXPECT_EQ(offset, bytes.size());
  }
  ByteBuffer largest;
  bps::AppendNumber(largest, UINT64_MAX);
  std::size_t offset = 0;
  std::uint64_t decoded = 0;
  EXPECT_EQ(bps::ReadNumber(largest, offset, decoded), bps::NumberRead::kRead);
  EXPECT_EQ(decoded, UINT64_MAX);

  const ByteBuffer tooLarge(11, 0x7F);
  offset = 0;
  EXPECT_EQ(bps::ReadNumber(tooLarge, offset, decoded), bps::NumberRead::kTooLarge);
  const ByteBuffer cutShort = {0x05, 0x00};
  offset = 0;
  EXPECT_EQ(bps::ReadNumber(cutShort, offset, decoded), bps::NumberRead::kCutShort);
  EXPECT_EQ(offset, cutShort.size());
}

TEST(BpsPatchTest, AppliesAHandMadePatch) {
  const ByteBuffer patch = HandMadeParts().Assemble();
  EXPECT_TRUE(IsBpsPatch(patch));
  EXPECT_FALSE(IsBpsPatch(kHandSource));
  const BpsApplyResult result = ApplyBpsPatch(patch, kHandSource);
  ASSERT_TRUE(result.applied) << result.error;
  EXPECT_EQ(result.target, kHandTarget);
  EXPECT_EQ(result.header.metadata, "hi");
  EXPECT_EQ(result.header.sourceSize, 8u);
  EXPECT_EQ(result.header.targetSize, 17u);
  EXPECT_EQ(result.header.targetCrc, 0x582A1073u);
}

struct RoundTrip {
  const char* name;
  ByteBuffer source;
  ByteBuffer target;
  std::size_t mostPatchBytes;
};

ByteBuffer WithMovedBlock(ByteBuffer image, std::size_t from, std::size_t to, std::size_t size) {
  std::copy_n(image.begin() + from, size, image.begin() + to);
  std::fill_n(image.begin() + from, size, 0);
  return image;
}

ByteBuffer WithZeroRuns(ByteBuffer image) {
  for (std::size_t start : {100u, 5000u, 30000u}) std::fill_n(image.begin() + start, 1500, 0);
  return image;
}

ByteBuffer Joined(ByteBuffer front, const ByteBuffer& back) {
  front.insert(front.end(), back.begin(), back.end());
  return front;
}

TEST(BpsPatchTest, PatchesMakeTheirTargetsFromTheirSources) {
  const ByteBuffer image = RandomBytes(65536, 1);
  const ByteBuffer other = RandomBytes(4096, 2);
  // Magic, header and footer take 19 to 25 bytes for these sizes.
  const std::vector<RoundTrip> cases = {
      {"both empty", {}, {}, 19},
      {"identical", image, image, 30},
      {"moved block", image, WithMovedBlock(image, 10000, 40000, 4096), 60},
      {"zero runs", image, WithZeroRuns(image), 60},
      {"grown", image, Joined(image, other), 4096 + 40},
      {"shrunk", image, ByteBuffer(image.begin(), image.begin() + 30000), 30},
      {"unrelated", image, other, 4096 + 30},
      {"from nothing", {}, ByteBuffer(1000, 0xAA), 30},
  };
  for (const RoundTrip& trip : cases) {
    const ByteBuffer patch = CreateBpsPatch(trip.source, trip.target, "");
    EXPECT_LE(patch.size(), trip.mostPatchBytes) << trip.name;
    const BpsApplyResult result = ApplyBpsPatch(patch, trip.source);
    EXPECT_TRUE(result.applied) << trip.name << ": " << result.error;
    EXPECT_EQ(result.target, trip.target) << trip.name;
    EXPECT_EQ(CreateBpsPatch(trip.source, trip.target, ""), patch) << trip.name;
  }
}

TEST(BpsPatchTest, KeepsItsMetadata) {
  const std::string metadata = "Velmo 1.1 seed 12345 \xC3\xA9t\xC3\xA9";
  const ByteBuffer patch = CreateBpsPatch(kHandSource, kHandTarget, metadata);
  const BpsApplyResult result = ApplyBpsPatch(patch, kHandSource);
  ASSERT_TRUE(result.applied) << result.error;
  EXPECT_EQ(result.header.metadata, metadata);
  EXPECT_EQ(result.target, kHandTarget);
}

ByteBuffer EditedParts(const std::function<void(PatchParts&)>& edit) {
  PatchParts parts = HandMadeParts();
  edit(parts);
  return parts.Assemble();
}

ByteBuffer EditedBytes(const std::function<void(ByteBuffer&)>& edit, bool reseal) {
  ByteBuffer patch = HandMadeParts().Assemble();
  edit(patch);
  if (!reseal) return patch;
  patch.resize(patch.size() - 4);
  AppendLittleWord(patch, ContentCrc32(patch));
  return patch;
}

ByteBuffer WithActions(ByteBuffer actions) {
  return EditedParts([&](PatchParts& parts) { parts.actions = actions; });
}

struct Damage {
  const char* name;
  ByteBuffer patch;
  ByteBuffer source;
  std::string error;
};

TEST(BpsPatchTest, RefusesEachDamageWithItsOwnMessage) {
  const std::string damaged = "This patch is damaged: ";
  const std::vector<Damage> cases = {
      {"another magic", EditedBytes([](ByteBuffer& patch) { patch[3] = '2'; }, false), kHandSource,
       "This file is not a BPS patch: it does not begin with BPS1"},
      {"empty", {}, kHandSource, "This file is not a BPS patch: it does not begin with BPS1"},
      {"too short", EditedBytes([](ByteBuffer& patch) { patch.resize(15); }, false), kHandSource,
       "This patch is cut short: 15 bytes are too few for a BPS patch"},
      {"bad patch CRC", EditedBytes([](ByteBuffer& patch) { patch[8] ^= 0x20; }, false),
       kHandSource, damaged + "its CRC-32 is 48AAF76D, but its bytes give C03565AE"},
      {"metadata past the end", EditedBytes([](ByteBuffer& patch) { patch[6] = 0x80 | 100; }, true),
       kHandSource, "This patch is cut short: its header runs past its end"},
      {"numbers past the end",
       EditedBytes([](ByteBuffer& patch) { patch.erase(patch.begin() + 5, patch.end() - 12); },
                   true),
       kHandSource, "This patch is cut short: its header runs past its end"},
      {"target too large", EditedParts([](PatchParts& parts) { parts.targetSize = 67108865; }),
       kHandSource,
       "This patch would make an image of 67108865 bytes; a cartridge image is at most 64 MiB"},
      {"another source size", HandMadeParts().Assemble(), Bytes("ABCDEFGHI"),
       "This patch was made for an image of 8 bytes; this image has 9 bytes"},
      {"another source", HandMadeParts().Assemble(), Bytes("ABCDEFGX"),
       "This patch was made for another image (CRC-32 68DCB61C); this image is 756BA678"},
      {"number too large", WithActions(ByteBuffer(11, 0x7F)), kHandSource,
       damaged + "a number in it is too large"},
      {"source read past the source", WithActions({0x80 | 8 << 2}), kHandSource,
       damaged + "an action runs past the source image"},
      {"source copy before the source", WithActions({0x86, 0x83}), kHandSource,
       damaged + "an action runs past the source image"},
      {"source copy past the source", WithActions({0x86, 0x8E}), kHandSource,
       damaged + "an action runs past the source image"},
      {"target read past the data", WithActions({0x89, 'x'}), kHandSource,
       damaged + "an action runs past the patch's data"},
      {"action number cut short", WithActions({0x84, 0x05}), kHandSource,
       damaged + "an action runs past the patch's data"},
      {"target copy of nothing yet", WithActions({0x83, 0x80}), kHandSource,
       damaged + "an action copies from outside the part of the image made so far"},
      {"target copy before the start", WithActions({0x84, 0x83, 0x83}), kHandSource,
       damaged + "an action copies from outside the part of the image made so far"},
      {"write past the target", EditedParts([](PatchParts& parts) { parts.targetSize = 3; }),
       kHandSource, damaged + "an action runs past the image it makes"},
      {"actions stop early", WithActions({0x84}), kHandSource,
       damaged + "its actions make 2 bytes, not the 17 it names"},
      {"data after the actions",
       EditedParts([](PatchParts& parts) { parts.actions.push_back(0x84); }), kHandSource,
       damaged + "its actions end 1 byte before its footer"},
      {"another target", EditedParts([](PatchParts& parts) { parts.targetCrc = 0x12345678; }),
       kHandSource,
       "This patch did not make the image it was made for (CRC-32 12345678); it made 582A1073"},
  };
  for (const Damage& damage : cases) {
    const BpsApplyResult result = ApplyBpsPatch(damage.patch, damage.source);
    EXPECT_FALSE(result.applied) << damage.name;
    EXPECT_EQ(result.error, damage.error) << damage.name;
    EXPECT_TRUE(result.target.empty()) << damage.name;
  }
}

// Velmo's own kind of change to a 12 MiB image: a few hundred KiB rewritten in
// place, a block of text moved and its old place cleared.
TEST(BpsPatchTest, StaysSmallForAnImageChangedAsARunChangesIt) {
  constexpr std::size_t kImageSize = 12 * 1048576;
  const ByteBuffer source = RandomBytes(kImageSize, 3);
  ByteBuffer target = WithMovedBlock(source, 9000000, 11000000, 30 * 1024);
  for (std::size_t region = 0; region < 30; ++region) {
    const ByteBuffer rewritten = RandomBytes(10 * 1024, 100 + static_cast<std::uint32_t>(region));
    std::copy(rewritten.begin(), rewritten.end(), target.begin() + 123457 + region * 290000);
  }
  const ByteBuffer patch = CreateBpsPatch(source, target, "");
  EXPECT_LT(patch.size(), 400u * 1024);
  const BpsApplyResult result = ApplyBpsPatch(patch, source);
  ASSERT_TRUE(result.applied) << result.error;
  EXPECT_TRUE(result.target == target);
}

}  // namespace
}  // namespace velmo
