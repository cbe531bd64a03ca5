// Whole-file reads with a cap: only regular files, never more than asked.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include "platform/FileBytes.h"
#include "support/TempDir.h"
#include "support/TestImages.h"

namespace plendo::platform {
namespace {

TEST(FileBytesTest, ReadsTheWholeFileUpToTheCap) {
  test::TempDir dir;
  const test::Bytes bytes(100000, 0x5A);
  test::WriteFile(dir / "日本語 name.bin", bytes);
  EXPECT_EQ(ReadFileBytes(dir / "日本語 name.bin", 100000), bytes);
  EXPECT_THROW(ReadFileBytes(dir / "日本語 name.bin", 99999), FileReadError);
  test::WriteFile(dir / "empty", {});
  EXPECT_TRUE(ReadFileBytes(dir / "empty", 10).empty());
}

TEST(FileBytesTest, RefusesWhatIsNotARegularFile) {
  test::TempDir dir;
  ASSERT_EQ(::mkfifo((dir / "fifo").c_str(), 0600), 0);
  EXPECT_THROW(ReadFileBytes(dir / "fifo", 100), FileReadError);  // and does not wait for a writer
  EXPECT_THROW(ReadFileBytes(dir.Path(), 100), FileReadError);
  EXPECT_THROW(ReadFileBytes(dir / "missing", 100), FileReadError);
}

}  // namespace
}  // namespace plendo::platform
