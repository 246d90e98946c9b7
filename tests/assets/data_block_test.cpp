#include "assets/data_block.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "harness/recording_console.h"
#include "support/buffer_words.h"
#include "support/byte_buffer.h"

namespace velmo {
namespace {

using testing::RecordingConsole;

// An image holding the boot code's two functions that return the block's
// start (at 0x10C8) and end (at 0x10D4): lui v0, hi; jr ra; addiu v0, v0, lo.
ByteBuffer BootCodeImage(std::uint32_t start, std::uint32_t end) {
  ByteBuffer image(0x2000, 0xAB);
  for (const auto& [at, address] : {std::pair{0x10C8u, start}, std::pair{0x10D4u, end}}) {
    const std::uint32_t low = address & 0xFFFF;
    const std::uint32_t high = (address >> 16) + (low >= 0x8000 ? 1 : 0);
    StoreBigEndian32(&image[at], 0x3C020000 | (high & 0xFFFF));
    StoreBigEndian32(&image[at + 4], 0x03E00008);
    StoreBigEndian32(&image[at + 8], 0x24420000 | low);
  }
  return image;
}

TEST(DataBlockTest, TheRoomComesFromTheBootCodeOutsideNorthAmerica) {
  const std::string notEuropean =
      "ERROR LoadInROM(): This image's data block is not where a European GoldenEye keeps it";
  ByteBuffer badReturn = BootCodeImage(0x1F850, 0x31450);
  StoreBigEndian32(&badReturn[0x10D8], 0x03E00009);
  const struct {
    const char* name;
    const RegionLayout& region;
    ByteBuffer image;
    std::optional<DataBlockPlace> expected;
    std::string error;
  } kCases[] = {
      // North America's block is where it always is, whatever the words say.
      {"NorthAmerica", region::kNorthAmerica, ByteBuffer(0x2000, 0),
       DataBlockPlace{0x21990, 0x11BFF}, ""},
      // 0x1F850 is 0x20000 less 0x7B0: its low half is a negative add.
      {"Europe", region::kEurope, BootCodeImage(0x1F850, 0x31450), DataBlockPlace{0x1F850, 0x11BFF},
       ""},
      {"Japan", region::kJapan, BootCodeImage(0x219D0, 0x335D0), DataBlockPlace{0x219D0, 0x11BFF},
       ""},
      {"StartElsewhere", region::kEurope, BootCodeImage(0x21990, 0x33590), std::nullopt,
       notEuropean},
      {"EndBeforeStart", region::kEurope, BootCodeImage(0x1F850, 0x1F850), std::nullopt,
       notEuropean},
      {"RoomOfMegabytes", region::kEurope, BootCodeImage(0x1F850, 0x8A0000), std::nullopt,
       notEuropean},
      {"NoReturn", region::kEurope, badReturn, std::nullopt, notEuropean},
      {"TooShortForTheWords", region::kJapan, ByteBuffer(0x10DF, 0), std::nullopt,
       "ERROR LoadInROM(): This image's data block is not where a Japanese GoldenEye keeps it"},
  };
  for (const auto& test : kCases) {
    SCOPED_TRACE(test.name);
    RecordingConsole console;
    const std::optional<DataBlockPlace> place = LocateDataBlock(test.image, test.region);
    ASSERT_EQ(place.has_value(), test.expected.has_value());
    if (place) {
      EXPECT_EQ(place->offset, test.expected->offset);
      EXPECT_EQ(place->room, test.expected->room);
    }
    EXPECT_EQ(console.Lines(), test.error.empty() ? std::vector<std::string>{}
                                                  : std::vector<std::string>{test.error});
  }
}

}  // namespace
}  // namespace velmo
