#include "harness/image_inspector.h"

#include <zlib.h>

#include <algorithm>
#include <array>

namespace velmo::testing {
namespace {

constexpr std::uint32_t kTableBlockOffset = 0x21990;
constexpr std::uint32_t kSetupEntriesOffset = 0x26FB0;
constexpr std::uint32_t kTextPairsOffset = 0x270AC;
constexpr std::uint32_t kEntrySize = 12;
constexpr std::uint32_t kPairSize = 24;
constexpr int kSetupEntries = 21;
constexpr int kTextPairs = 44;
constexpr std::uint32_t kBlockHeaderLength = 2;
// No block of the game inflates to more than this; garbage that claims to is
// cut off here.
constexpr std::size_t kMaxInflatedLength = 16u << 20;

// The object-list format as the game defines it, by type code.
enum class Shape { kFixed, kVariable, kBlock, kLoneBlockEnd, kEnd, kInvalid };
struct Format {
  Shape shape;
  std::uint32_t length;
};
constexpr Format F(std::uint32_t length) {
  return {Shape::kFixed, length};
}
constexpr Format kV{Shape::kVariable, 0};
constexpr Format kB{Shape::kBlock, 0};

constexpr std::array<Format, 0x31> kObjectFormats = {{
    {Shape::kInvalid, 0},
    F(256),
    F(8),
    F(128),
    F(132),
    F(128),
    F(236),
    F(132),
    F(136),
    F(28),
    F(256),
    F(596),
    F(128),
    F(216),
    F(12),
    kV,
    kV,
    F(128),
    F(12),
    F(16),
    F(180),
    F(136),
    F(16),
    kB,
    {Shape::kLoneBlockEnd, 16},
    kB,
    F(16),
    kV,
    kV,
    kV,
    kV,
    kV,
    kV,
    F(40),
    kV,
    F(16),
    F(128),
    F(40),
    F(16),
    F(176),
    F(180),
    kV,
    F(128),
    F(128),
    F(20),
    F(224),
    F(28),
    F(148),
    {Shape::kEnd, 4},
}};

// Intro record lengths of types 0 to 7; 8 (credits) and 9 end the block.
constexpr std::array<std::uint32_t, 8> kIntroLengths = {12, 16, 16, 32, 8, 8, 40, 12};

bool Fits(std::span<const std::uint8_t> bytes, std::uint64_t offset, std::uint64_t length) {
  return offset <= bytes.size() && length <= bytes.size() - offset;
}

TableEntryView ReadEntry(std::span<const std::uint8_t> table, std::uint32_t position) {
  return {position, ReadWord(table, position), ReadWord(table, position + 4),
          ReadWord(table, position + 8)};
}

void WalkIntro(std::span<const std::uint8_t> data, SetupView& view) {
  std::uint32_t position = view.introOffset;
  for (;;) {
    if (!Fits(data, position, 4)) {
      view.introProblem = "record header past the end at " + std::to_string(position);
      return;
    }
    std::uint8_t type = data[position + 3];
    view.intro.push_back({position, type});
    if (type == 8 || type == 9) return;
    if (type > 9) {
      view.introProblem = "unknown type " + std::to_string(type);
      return;
    }
    if (!Fits(data, position, kIntroLengths[type])) {
      view.introProblem = "record past the end at " + std::to_string(position);
      return;
    }
    const std::uint8_t* record = &data[position];
    if (type == 1)
      view.startWeapons.push_back({position, record[7], ReadWord(data, position + 8), record[15]});
    if (type == 2) view.startAmmo.push_back({position, record[7], record[11], record[15]});
    position += kIntroLengths[type];
  }
}

void CollectObject(std::span<const std::uint8_t> data, std::uint32_t position, std::uint8_t type,
                   SetupView& view) {
  const std::uint8_t* record = &data[position];
  switch (type) {
    case 0x03:
      view.props.push_back({position, record[5], record[7]});
      break;
    case 0x04:
      view.keys.push_back({position, record[5], record[7]});
      break;
    case 0x08:
      view.weapons.push_back({position, record[5], record[7], record[8], record[128]});
      break;
    case 0x09:
      view.guards.push_back({position, record[5], record[9], record[10], record[11], record[21]});
      break;
    case 0x11:
      view.attachments.push_back({position, record[5], record[7]});
      break;
    default:
      break;
  }
}

// Length of the object record at position, or nothing (with the problem set)
// when the walk cannot go on.
std::optional<std::uint32_t> ObjectLength(std::span<const std::uint8_t> data,
                                          std::uint32_t position, SetupView& view) {
  std::uint8_t type = data[position + 3];
  if (type >= kObjectFormats.size()) {
    view.objectProblem = "unknown type " + std::to_string(type);
    return std::nullopt;
  }
  const Format& format = kObjectFormats[type];
  switch (format.shape) {
    case Shape::kInvalid:
      view.objectProblem = "type 0 at " + std::to_string(position);
      return std::nullopt;
    case Shape::kVariable: {
      std::uint32_t length = (std::uint32_t{data[position]} << 8) | data[position + 1];
      if (length < 4) view.objectProblem = "variable length below 4 at " + std::to_string(position);
      if (length < 4) return std::nullopt;
      return length;
    }
    case Shape::kBlock: {
      constexpr std::array<std::uint8_t, 4> kBlockEnd = {0, 0, 0, 0x18};
      auto end =
          std::search(data.begin() + position, data.end(), kBlockEnd.begin(), kBlockEnd.end());
      if (end == data.end()) view.objectProblem = "unclosed block at " + std::to_string(position);
      if (end == data.end()) return std::nullopt;
      return static_cast<std::uint32_t>(end - data.begin()) + 4 - position;
    }
    default:
      return format.length;
  }
}

void WalkObjects(std::span<const std::uint8_t> data, SetupView& view) {
  std::uint32_t position = view.objectListOffset;
  for (;;) {
    if (!Fits(data, position, 4)) {
      view.objectProblem = "record header past the end at " + std::to_string(position);
      return;
    }
    std::optional<std::uint32_t> length = ObjectLength(data, position, view);
    if (!length) return;
    if (!Fits(data, position, *length)) {
      view.objectProblem = "record past the end at " + std::to_string(position);
      return;
    }
    std::uint8_t type = data[position + 3];
    view.objects.push_back({position, type, *length});
    if (type == 0x30) return;
    CollectObject(data, position, type, view);
    position += *length;
  }
}

SetupFileView InspectSetupFile(std::span<const std::uint8_t> image, const TableEntryView& entry) {
  SetupFileView file{entry, FindSetupFile(entry.assetId), {}, {}};
  if (entry.imageOffset >= image.size()) return file;
  file.block = InflateBlock(image.subspan(entry.imageOffset));
  if (file.block.complete) file.setup = WalkSetup(file.block.data);
  return file;
}

}  // namespace

std::uint32_t ReadWord(std::span<const std::uint8_t> bytes, std::uint32_t offset) {
  if (!Fits(bytes, offset, 4)) return 0;
  return (std::uint32_t{bytes[offset]} << 24) | (std::uint32_t{bytes[offset + 1]} << 16) |
         (std::uint32_t{bytes[offset + 2]} << 8) | std::uint32_t{bytes[offset + 3]};
}

InflatedBlock InflateBlock(std::span<const std::uint8_t> bytes) {
  InflatedBlock block;
  if (bytes.size() <= kBlockHeaderLength) return block;
  z_stream stream{};
  if (inflateInit2(&stream, -15) != Z_OK) return block;
  stream.next_in = const_cast<Bytef*>(bytes.data() + kBlockHeaderLength);
  stream.avail_in = static_cast<uInt>(bytes.size() - kBlockHeaderLength);
  std::array<std::uint8_t, 65536> chunk{};
  int result = Z_OK;
  while (result == Z_OK && block.data.size() < kMaxInflatedLength) {
    stream.next_out = chunk.data();
    stream.avail_out = static_cast<uInt>(chunk.size());
    result = inflate(&stream, Z_NO_FLUSH);
    block.data.insert(block.data.end(), chunk.data(), stream.next_out);
  }
  block.complete = result == Z_STREAM_END;
  block.length = static_cast<std::uint32_t>(stream.total_in) + kBlockHeaderLength;
  inflateEnd(&stream);
  return block;
}

SetupView WalkSetup(std::span<const std::uint8_t> data) {
  SetupView view;
  if (data.size() < 16) {
    view.introProblem = view.objectProblem = "file shorter than its header";
    return view;
  }
  view.introOffset = ReadWord(data, 8);
  view.objectListOffset = ReadWord(data, 12);
  WalkIntro(data, view);
  WalkObjects(data, view);
  return view;
}

ImageView InspectImage(std::span<const std::uint8_t> image) {
  ImageView view;
  if (image.size() <= kTableBlockOffset) return view;
  view.table = InflateBlock(image.subspan(kTableBlockOffset));
  const ByteBuffer& table = view.table.data;
  if (!Fits(table, kTextPairsOffset, kTextPairs * kPairSize)) return view;
  for (int index = 0; index < kSetupEntries; ++index) {
    view.setupEntries.push_back(ReadEntry(table, kSetupEntriesOffset + kEntrySize * index));
    view.setups.push_back(InspectSetupFile(image, view.setupEntries.back()));
  }
  for (int pair = 0; pair < kTextPairs; ++pair) {
    std::uint32_t position = kTextPairsOffset + kPairSize * pair;
    TextPairView text{ReadEntry(table, position), ReadEntry(table, position + kEntrySize), {}};
    std::uint32_t start = text.english.imageOffset;
    std::uint32_t end = text.japanese.imageOffset;
    if (start <= end && end <= image.size())
      text.englishText.assign(image.begin() + start, image.begin() + end);
    view.textPairs.push_back(std::move(text));
  }
  return view;
}

}  // namespace velmo::testing
