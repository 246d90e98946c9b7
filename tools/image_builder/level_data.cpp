#include "image_builder/level_data.h"

#include <array>
#include <bit>

#include "image_builder/content_random.h"
#include "support/buffer_words.h"

namespace velmo::image_builder {
namespace {

// Header words of the setup file that point at these parts.
constexpr std::uint32_t kPathTablesWord = 0;
constexpr std::uint32_t kPathLinksWord = 4;
constexpr std::uint32_t kAiListsWord = 16;
constexpr std::uint32_t kPadListWord = 20;

// AI commands: opcode and argument byte count; 0x04 ends a list.
struct AiCommand {
  std::uint8_t opcode;
  std::uint8_t argumentBytes;
};
constexpr std::array<AiCommand, 14> kAiCommands = {{
    {0x00, 1},
    {0x01, 2},
    {0x02, 0},
    {0x03, 1},
    {0x07, 3},
    {0x0A, 4},
    {0x13, 2},
    {0x2C, 1},
    {0x3E, 3},
    {0x58, 2},
    {0x8F, 1},
    {0xA5, 5},
    {0xBC, 4},
    {0xFD, 2},
}};
constexpr std::uint8_t kAiListEnd = 0x04;
constexpr std::uint32_t kAiScriptKinds = 12;
// Pads stand on a grid of this many units.
constexpr float kPadGrid = 50.0f;

// Facings in steps of 45 degrees, written out so that every platform writes
// the same bits.
struct Facing {
  float x;
  float z;
};
constexpr float kHalfRoot2 = 0.70710677f;
constexpr std::array<Facing, 8> kFacings = {{{1.0f, 0.0f},
                                             {kHalfRoot2, kHalfRoot2},
                                             {0.0f, 1.0f},
                                             {-kHalfRoot2, kHalfRoot2},
                                             {-1.0f, 0.0f},
                                             {-kHalfRoot2, -kHalfRoot2},
                                             {0.0f, -1.0f},
                                             {kHalfRoot2, -kHalfRoot2}}};

// Bytes of a part, written one after the other and cut at the part's length.
class PartWriter {
 public:
  PartWriter(ByteBuffer& setup, std::uint32_t length)
      : setup_(setup), end_(setup.size() + length) {}
  bool Full() const { return setup_.size() >= end_; }
  void Byte(std::uint8_t value) {
    if (!Full()) setup_.push_back(value);
  }
  void Word(std::uint32_t value) {
    for (int shift = 24; shift >= 0; shift -= 8) Byte(static_cast<std::uint8_t>(value >> shift));
  }

 private:
  ByteBuffer& setup_;
  std::size_t end_;
};

// Guards share a handful of behaviours, so a level's AI lists are copies of a
// few scripts, most with a byte or two changed.
ByteBuffer MakeAiScript(ContentRandom& random) {
  ByteBuffer script;
  std::uint32_t commands = random.Between(6, 40);
  for (std::uint32_t command = 0; command < commands; ++command) {
    const AiCommand& chosen = kAiCommands[random.Below(kAiCommands.size())];
    script.push_back(chosen.opcode);
    for (std::uint8_t argument = 0; argument < chosen.argumentBytes; ++argument) {
      script.push_back(
          static_cast<std::uint8_t>(random.OneIn(3) ? random.Byte() : random.Below(8)));
    }
  }
  script.push_back(kAiListEnd);
  return script;
}

void AppendAiLists(PartWriter& out, ContentRandom& random) {
  std::array<ByteBuffer, kAiScriptKinds> scripts;
  for (ByteBuffer& script : scripts) script = MakeAiScript(random);
  while (!out.Full()) {
    ByteBuffer list = scripts[random.Below(kAiScriptKinds)];
    std::uint32_t changes = random.Below(3);
    for (std::uint32_t change = 0; change < changes; ++change) {
      list[random.Below(static_cast<std::uint32_t>(list.size() - 1))] = random.Byte();
    }
    for (std::uint8_t byte : list) out.Byte(byte);
  }
}

std::uint32_t FloatBits(float value) {
  return std::bit_cast<std::uint32_t>(value);
}

// Pads are grid positions a few metres apart along the level's corridors,
// with an up vector, a facing in one of eight directions and a name.
void AppendPadList(PartWriter& out, ContentRandom& random) {
  float x = kPadGrid * static_cast<float>(random.Below(80)) - 2000.0f;
  float y = kPadGrid * static_cast<float>(random.Below(8));
  float z = kPadGrid * static_cast<float>(random.Below(80)) - 2000.0f;
  for (std::uint32_t pad = 0; !out.Full(); ++pad) {
    x += kPadGrid * (static_cast<float>(random.Below(9)) - 4.0f);
    z += kPadGrid * (static_cast<float>(random.Below(9)) - 4.0f);
    if (random.OneIn(16)) y += kPadGrid * (static_cast<float>(random.Below(3)) - 1.0f);
    const Facing& facing = kFacings[random.OneIn(2) ? 0 : random.Below(kFacings.size())];
    for (float value : {x, y, z, 0.0f, 1.0f, 0.0f, facing.x, 0.0f, facing.z}) {
      out.Word(FloatBits(value));
    }
    out.Word(random.OneIn(4) ? 0x00010000u + 16 * (pad % 16) : 0);
    out.Word(0);
  }
}

// Each path is a list of mostly consecutive pad numbers ending with FFFFFFFF.
void AppendPathTables(PartWriter& out, ContentRandom& random) {
  while (!out.Full()) {
    std::uint32_t pad = random.Below(300);
    std::uint32_t steps = random.Between(3, 12);
    for (std::uint32_t step = 0; step < steps; ++step) {
      out.Word(pad);
      pad += random.OneIn(4) ? random.Between(2, 4) : 1;
    }
    out.Word(0xFFFFFFFFu);
  }
}

std::uint32_t WholeWords(std::uint32_t length) {
  return length & ~3u;
}

}  // namespace

void AppendLevelData(ByteBuffer& setup, std::uint32_t length, std::uint64_t contentSeed,
                     std::uint64_t streamTag) {
  length = WholeWords(length);
  std::uint32_t aiLength = WholeWords(length * 35 / 100);
  std::uint32_t padLength = WholeWords(length * 45 / 100);
  std::uint32_t pathLength = length - aiLength - padLength;

  StoreBigEndian32(&setup[kAiListsWord], static_cast<std::uint32_t>(setup.size()));
  ContentRandom aiRandom(contentSeed, streamTag);
  PartWriter aiLists(setup, aiLength);
  AppendAiLists(aiLists, aiRandom);

  StoreBigEndian32(&setup[kPadListWord], static_cast<std::uint32_t>(setup.size()));
  ContentRandom padRandom(contentSeed, streamTag + 1);
  PartWriter pads(setup, padLength);
  AppendPadList(pads, padRandom);

  StoreBigEndian32(&setup[kPathTablesWord], static_cast<std::uint32_t>(setup.size()));
  StoreBigEndian32(&setup[kPathLinksWord], static_cast<std::uint32_t>(setup.size()));
  ContentRandom pathRandom(contentSeed, streamTag + 2);
  PartWriter paths(setup, pathLength);
  AppendPathTables(paths, pathRandom);
}

}  // namespace velmo::image_builder
