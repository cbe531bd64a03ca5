// Whole-file writes through a temporary file: what stands at the name after
// success and after every kind of failure, in both modes.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cerrno>
#include <string>
#include <vector>

#include "platform/AtomicFile.h"
#include "support/TempDir.h"
#include "support/TestFiles.h"

namespace plendo::platform {
namespace {

using test::Bytes;
using test::Listing;
using test::ReadBytes;

mode_t ModeOf(const std::filesystem::path& path) {
  struct stat st {};
  EXPECT_EQ(::stat(path.c_str(), &st), 0);
  return st.st_mode & 07777;
}

struct ModeCase {
  const char* name;
  AtomicWriteMode mode;
  AtomicWriteSync sync;
};

class AtomicFile : public ::testing::TestWithParam<ModeCase> {
 protected:
  AtomicWriteOutcome Write(const std::filesystem::path& path, const Bytes& bytes) {
    return WriteFileAtomically(path, bytes, GetParam().mode, GetParam().sync);
  }
  bool Replaces() const { return GetParam().mode == AtomicWriteMode::Replace; }

  test::TempDir dir_;
};

TEST_P(AtomicFile, ANewNameGetsTheBytesAndNothingElseIsLeft) {
  const Bytes bytes(70000, 0xA5);
  EXPECT_EQ(Write(dir_ / "新しい 出力.jpg", bytes), AtomicWriteOutcome::Written);
  EXPECT_EQ(ReadBytes(dir_ / "新しい 出力.jpg"), bytes);
  EXPECT_EQ(Write(dir_ / "empty.jpg", {}), AtomicWriteOutcome::Written);
  EXPECT_TRUE(ReadBytes(dir_ / "empty.jpg").empty());
  EXPECT_EQ(Listing(dir_.Path()), (std::vector<std::string>{"empty.jpg", "新しい 出力.jpg"}));
}

TEST_P(AtomicFile, AnExistingFileIsReplacedWithItsPermissionsOrLeftAlone) {
  const auto path = dir_ / "out.jpg";
  test::WriteBytes(path, {1, 2, 3});
  ASSERT_EQ(::chmod(path.c_str(), 0604), 0);
  const Bytes bytes = {9, 8, 7, 6};
  EXPECT_EQ(Write(path, bytes), Replaces() ? AtomicWriteOutcome::Written : AtomicWriteOutcome::AlreadyExists);
  EXPECT_EQ(ReadBytes(path), (Replaces() ? bytes : Bytes{1, 2, 3}));
  EXPECT_EQ(ModeOf(path), 0604u);
  EXPECT_EQ(Listing(dir_.Path()), std::vector<std::string>{"out.jpg"});
}

TEST_P(AtomicFile, AHardLinkedFileStaysOneFileForAllItsNames) {
  const auto path = dir_ / "out.jpg";
  test::WriteBytes(path, Bytes(5000, 1));
  ASSERT_EQ(::chmod(path.c_str(), 0640), 0);
  std::filesystem::create_hard_link(path, dir_ / "other name.jpg");
  const Bytes bytes = {9, 8, 7};
  EXPECT_EQ(Write(path, bytes), Replaces() ? AtomicWriteOutcome::Written : AtomicWriteOutcome::AlreadyExists);
  const Bytes expected = Replaces() ? bytes : Bytes(5000, 1);
  EXPECT_EQ(ReadBytes(path), expected);
  EXPECT_EQ(ReadBytes(dir_ / "other name.jpg"), expected);
  EXPECT_EQ(std::filesystem::hard_link_count(path), 2u);
  EXPECT_EQ(ModeOf(path), 0640u);
  EXPECT_EQ(Listing(dir_.Path()), (std::vector<std::string>{"other name.jpg", "out.jpg"}));
}

TEST_P(AtomicFile, WhatAPlainWriteCouldNotWriteIsRefusedAndALinkIsWrittenThrough) {
  const auto target = dir_ / "target.jpg";
  test::WriteBytes(target, {1, 2, 3});
  std::filesystem::create_symlink("target.jpg", dir_ / "link.jpg");
  const Bytes bytes = {9, 8};
  EXPECT_EQ(Write(dir_ / "link.jpg", bytes), Replaces() ? AtomicWriteOutcome::Written : AtomicWriteOutcome::AlreadyExists);
  EXPECT_TRUE(std::filesystem::is_symlink(dir_ / "link.jpg"));
  EXPECT_EQ(ReadBytes(target), (Replaces() ? bytes : Bytes{1, 2, 3}));

  const auto read_only = dir_ / "read-only.jpg";
  test::WriteBytes(read_only, {4, 5});
  ASSERT_EQ(::chmod(read_only.c_str(), 0444), 0);
  ASSERT_EQ(::mkfifo((dir_ / "fifo.jpg").c_str(), 0666), 0);
  for (const char* name : {"read-only.jpg", "fifo.jpg"}) {
    if (Replaces()) {
      EXPECT_THROW(Write(dir_ / name, bytes), AtomicFileError) << name;
    } else {
      EXPECT_EQ(Write(dir_ / name, bytes), AtomicWriteOutcome::AlreadyExists) << name;
    }
  }
  EXPECT_EQ(ReadBytes(read_only), (Bytes{4, 5}));
  EXPECT_TRUE(std::filesystem::is_fifo(dir_ / "fifo.jpg"));
  EXPECT_EQ(Listing(dir_.Path()), (std::vector<std::string>{"fifo.jpg", "link.jpg", "read-only.jpg", "target.jpg"}));
}

TEST_P(AtomicFile, AFolderAtTheNameIsAFailureThatLeavesNoTemporaryFile) {
  std::filesystem::create_directory(dir_ / "out.jpg");
  test::WriteBytes(dir_ / "out.jpg" / "inside", {1});
  EXPECT_THROW(Write(dir_ / "out.jpg", {1, 2}), AtomicFileError);
  EXPECT_EQ(Listing(dir_.Path()), std::vector<std::string>{"out.jpg"});
  EXPECT_EQ(Listing(dir_ / "out.jpg"), std::vector<std::string>{"inside"});
}

TEST_P(AtomicFile, AMissingFolderNamesTheSystemError) {
  try {
    Write(dir_ / "missing" / "out.jpg", {1});
    ADD_FAILURE() << "wrote into a missing folder";
  } catch (const AtomicFileError& e) {
    EXPECT_EQ(e.ErrorNumber(), ENOENT);
    EXPECT_NE(std::string(e.what()).find((dir_ / "missing").string()), std::string::npos) << e.what();
  }
  EXPECT_TRUE(Listing(dir_.Path()).empty());
}

INSTANTIATE_TEST_SUITE_P(
    Modes, AtomicFile,
    ::testing::Values(ModeCase{"ReplaceSynced", AtomicWriteMode::Replace, AtomicWriteSync::WhenReplacing},
                      ModeCase{"ReplaceUnsynced", AtomicWriteMode::Replace, AtomicWriteSync::Never},
                      ModeCase{"NoReplace", AtomicWriteMode::NoReplace, AtomicWriteSync::WhenReplacing}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace plendo::platform
