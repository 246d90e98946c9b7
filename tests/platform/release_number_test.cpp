#include "platform/release_number.h"

#include <gtest/gtest.h>

#include "harness/program_run.h"
#include "harness/temp_dir.h"

namespace velmo {
namespace {

TEST(ReleaseNumber, TheBuiltToolCarriesTheProjectRelease) {
  const std::string velmo = testing::VelmoBinaryPath();
  ASSERT_FALSE(velmo.empty()) << "VELMO_BINARY is not set";
  EXPECT_EQ(platform::GetReleaseNumber(velmo), VELMO_RELEASE_NUMBER);
}

#ifdef _WIN32
// Only Windows executables carry a version resource; files without one, or
// no file at all, give release 0.
TEST(ReleaseNumber, AFileWithoutVersionResourceGivesZero) {
  testing::TempDir dir;
  const std::string plain = dir.File("Velmo.exe");
  testing::WriteTextFile(plain, "not a program\n");
  EXPECT_EQ(platform::GetReleaseNumber(plain), 0);
  EXPECT_EQ(platform::GetReleaseNumber(dir.File("absent.exe")), 0);
  EXPECT_EQ(platform::GetReleaseNumber(""), 0);
}
#endif

}  // namespace
}  // namespace velmo
