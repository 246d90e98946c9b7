#include "image_builder/boot_code.h"

#include <array>
#include <stdexcept>

namespace velmo::image_builder {
namespace {

constexpr std::uint32_t kPolynomial = 0xEDB88320u;

constexpr std::array<std::uint32_t, 256> MakeCrcTable() {
  std::array<std::uint32_t, 256> table{};
  for (std::uint32_t index = 0; index < 256; ++index) {
    std::uint32_t value = index;
    for (int bit = 0; bit < 8; ++bit) value = (value & 1) ? (value >> 1) ^ kPolynomial : value >> 1;
    table[index] = value;
  }
  return table;
}

constexpr std::array<std::uint32_t, 256> kCrcTable = MakeCrcTable();

// The top bytes of the 256 table entries are all different, so the entry that
// produced a register's top byte can be found again.
constexpr std::array<std::uint8_t, 256> MakeTopByteIndex() {
  std::array<std::uint8_t, 256> index{};
  for (std::uint32_t entry = 0; entry < 256; ++entry) {
    index[kCrcTable[entry] >> 24] = static_cast<std::uint8_t>(entry);
  }
  return index;
}

constexpr std::array<std::uint8_t, 256> kTopByteIndex = MakeTopByteIndex();

std::uint32_t UpdateRegister(std::uint32_t reg, std::span<const std::uint8_t> bytes) {
  for (std::uint8_t byte : bytes) reg = (reg >> 8) ^ kCrcTable[(reg ^ byte) & 0xFF];
  return reg;
}

// Undoes one byte step of a register whose data byte was folded into it:
// forward, reg' = (reg >> 8) ^ T[reg & 0xFF].
std::uint32_t StepBack(std::uint32_t reg) {
  std::uint8_t entry = kTopByteIndex[reg >> 24];
  return ((reg ^ kCrcTable[entry]) << 8) | entry;
}

}  // namespace

std::uint32_t Crc32(std::span<const std::uint8_t> bytes) {
  return ~UpdateRegister(0xFFFFFFFFu, bytes);
}

void WriteSteeredBytes(std::span<std::uint8_t> bytes, std::uint32_t wantedCrc,
                       ContentRandom& random) {
  if (bytes.size() < 4) throw std::logic_error("WriteSteeredBytes needs four bytes to steer");
  random.Fill(bytes);
  std::span<std::uint8_t> prefix = bytes.first(bytes.size() - 4);
  std::uint32_t before = UpdateRegister(0xFFFFFFFFu, prefix);
  // Four bytes b XORed into the register and four zero-byte steps give the
  // final register; run those steps backwards from the wanted register.
  std::uint32_t folded = ~wantedCrc;
  for (int step = 0; step < 4; ++step) folded = StepBack(folded);
  std::uint32_t steering = folded ^ before;
  for (int byte = 0; byte < 4; ++byte) {
    bytes[prefix.size() + byte] = static_cast<std::uint8_t>(steering >> (8 * byte));
  }
}

}  // namespace velmo::image_builder
