#pragma once

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <utility>
#include <vector>

#include "support/buffer_words.h"
#include "support/byte_buffer.h"

namespace velmo::testing {

// Builders for synthetic setup files. Record header bytes 0 to 2 are zero and
// byte 3 is the type code; every other byte is a filler that is never zero, so
// no 00 00 00 18 block end appears by chance and a byte written to the wrong
// place shows.

inline std::uint8_t FillerByte(std::size_t index) {
  return static_cast<std::uint8_t>(0x40 + index % 0xB0);
}

inline ByteBuffer Record(std::uint8_t type, std::size_t length) {
  ByteBuffer bytes(length < 4 ? 4 : length);
  for (std::size_t i = 4; i < bytes.size(); ++i) bytes[i] = FillerByte(i);
  bytes[3] = type;
  return bytes;
}

// A record whose bytes 0 and 1 hold its own length.
inline ByteBuffer VariableRecord(std::uint8_t type, std::uint16_t length) {
  ByteBuffer bytes = Record(type, length);
  bytes[0] = static_cast<std::uint8_t>(length >> 8);
  bytes[1] = static_cast<std::uint8_t>(length);
  return bytes;
}

// Sets single bytes of a record: {{index, value}, ...}.
inline ByteBuffer With(ByteBuffer bytes,
                       std::initializer_list<std::pair<std::size_t, std::uint8_t>> values) {
  for (const auto& [index, value] : values) bytes.at(index) = value;
  return bytes;
}

inline ByteBuffer GuardRecord(std::uint8_t guardId, std::uint8_t bodyType, std::uint8_t flags) {
  return With(Record(0x09, 28), {{5, guardId}, {9, bodyType}, {21, flags}});
}

inline ByteBuffer WeaponRecord(std::uint8_t modelId, std::uint8_t holderId, std::uint8_t byte8,
                               std::uint8_t weaponId) {
  return With(Record(0x08, 136), {{5, modelId}, {7, holderId}, {8, byte8}, {128, weaponId}});
}

inline ByteBuffer AttachmentRecord(std::uint8_t modelId, std::uint8_t holderId) {
  return With(Record(0x11, 128), {{5, modelId}, {7, holderId}});
}

inline ByteBuffer KeyRecord(std::uint8_t modelId, std::uint8_t holderId) {
  return With(Record(0x04, 132), {{5, modelId}, {7, holderId}});
}

inline ByteBuffer PropRecord(std::uint8_t modelId) {
  return With(Record(0x03, 128), {{5, modelId}});
}

inline ByteBuffer EndOfObjects() {
  return Record(0x30, 4);
}

// Intro record 1 with its two weapon fields given as the bytes 7 and 8 to 11.
inline ByteBuffer StartWeaponRecord(std::uint8_t first, std::uint32_t secondField,
                                    std::uint8_t set) {
  ByteBuffer bytes = With(Record(0x01, 16), {{7, first}, {15, set}});
  StoreBigEndian32(bytes.data() + 8, secondField);
  return bytes;
}

inline ByteBuffer StartAmmoRecord(std::uint8_t ammoType, std::uint8_t amount, std::uint8_t set) {
  return With(Record(0x02, 16), {{7, ammoType}, {11, amount}, {15, set}});
}

inline ByteBuffer EndOfIntro() {
  return Record(0x09, 4);
}

// A setup file: a 16-byte header whose words at 8 and 12 point at the intro
// block and the object list, which follow it in that order. Words 0 and 4
// hold a filler the parsers must never change.
class SetupFile {
 public:
  static constexpr std::uint32_t kHeaderLength = 16;

  SetupFile& Intro(ByteBuffer record) {
    intro_.push_back(std::move(record));
    return *this;
  }
  SetupFile& Object(ByteBuffer record) {
    objects_.push_back(std::move(record));
    return *this;
  }

  std::uint32_t IntroOffset(std::size_t index) const {
    return kHeaderLength + Length(intro_, index);
  }
  std::uint32_t ObjectOffset(std::size_t index) const {
    return kHeaderLength + Length(intro_, intro_.size()) + Length(objects_, index);
  }

  ByteBuffer Build() const {
    ByteBuffer bytes(kHeaderLength);
    StoreBigEndian32(bytes.data(), 0xA1A2A3A4);
    StoreBigEndian32(bytes.data() + 4, 0xB1B2B3B4);
    StoreBigEndian32(bytes.data() + 8, IntroOffset(0));
    StoreBigEndian32(bytes.data() + 12, ObjectOffset(0));
    for (const ByteBuffer& record : intro_) bytes.insert(bytes.end(), record.begin(), record.end());
    for (const ByteBuffer& record : objects_) {
      bytes.insert(bytes.end(), record.begin(), record.end());
    }
    return bytes;
  }

 private:
  static std::uint32_t Length(const std::vector<ByteBuffer>& records, std::size_t count) {
    std::size_t length = 0;
    for (std::size_t i = 0; i < count; ++i) length += records.at(i).size();
    return static_cast<std::uint32_t>(length);
  }

  std::vector<ByteBuffer> intro_;
  std::vector<ByteBuffer> objects_;
};

}  // namespace velmo::testing
