#include "platform/IniFile.h"

#include <gtest/gtest.h>
#include <sys/stat.h>


#include "support/TempDir.h"
#include "support/TestFiles.h"

namespace plendo::platform {
namespace {

using test::ReadText;
using test::WriteText;

TEST(IniFileTest, NamesMatchInAnyLetterCase) {
  const IniFile ini = IniFile::Parse("[option]\r\ncompress = 90\r\n");
  EXPECT_EQ(ini.Get("OPTION", "Compress"), "90");
  EXPECT_EQ(ini.Get("Option", "COMPRESS"), "90");
  EXPECT_FALSE(ini.Get("Status", "Compress"));
}

TEST(IniFileTest, FirstOfDuplicatedNamesWins) {
  const IniFile ini = IniFile::Parse("[A]\nk=1\nk=2\n[a]\nk=3\nj=4\n");
  EXPECT_EQ(ini.Get("A", "k"), "1");
  EXPECT_FALSE(ini.Get("A", "j"));  // a second [a] is not read, like the platform
}

TEST(IniFileTest, SetKeepsEverythingElseByteForByte) {
  const std::string text =
      "; hand-written note\r\n[MFORM]\r\nTop=5\r\n\r\n[Mine]\r\n  odd line\r\nx = y \r\n";
  IniFile ini = IniFile::Parse(text);
  ini.Set("mform", "top", "7");
  ini.Set("MFORM", "Left", "9");
  ini.Set("Status", "WOPath", "/tmp/写真 2020");
  EXPECT_EQ(ini.Text(),
            "; hand-written note\r\n[MFORM]\r\nTop=7\r\nLeft=9\r\n\r\n[Mine]\r\n  odd line\r\n"
            "x = y \r\n[Status]\r\nWOPath=/tmp/写真 2020\r\n");
}

TEST(IniFileTest, SettingTheSameValueLeavesTheLineAlone) {
  IniFile ini = IniFile::Parse("[A]\n  Key =  1\n");
  ini.Set("a", "key", "1");
  EXPECT_EQ(ini.Text(), "[A]\n  Key =  1\n");
}

TEST(IniFileTest, LineBreaksInAValueCannotForgeEntries) {
  IniFile ini;
  ini.Set("Status", "WOPath", "/tmp/a\n[Secret]\nCompress=1");
  EXPECT_FALSE(ini.HasSection("Secret"));
  EXPECT_EQ(ini.Get("Status", "WOPath"), "/tmp/a [Secret] Compress=1");
}

TEST(IniFileTest, Utf8MarkIsIgnored) {
  const IniFile ini = IniFile::Parse("\xEF\xBB\xBF[A]\nk=v\n");
  EXPECT_EQ(ini.Get("A", "k"), "v");
}

TEST(IniFileTest, EntryByEntryWriteTouchesOnlyThatEntry) {
  test::TempDir dir;
  const auto path = dir / "p.ENV";
  WriteText(path, "[CFORM]\nTop=1\nLeft=2\n[Other]\nkeep=me\n");
  WriteIniString(path, "CFORM", "Left", "30");
  EXPECT_EQ(ReadText(path), "[CFORM]\nTop=1\nLeft=30\n[Other]\nkeep=me\n");
  EXPECT_EQ(ReadIniString(path, "cform", "LEFT", "x"), "30");
  EXPECT_EQ(ReadIniString(path, "CFORM", "Missing", "x"), "x");
}

TEST(IniFileTest, EntryByEntryWriteCreatesAMissingFile) {
  test::TempDir dir;
  const auto path = dir / "new.ENV";
  EXPECT_EQ(ReadIniString(path, "A", "k", "def"), "def");
  WriteIniString(path, "A", "k", "v");
  EXPECT_EQ(ReadText(path), "[A]\nk=v\n");
}

TEST(IniFileTest, SaveLeavesNoTemporaryFilesAndKeepsPermissions) {
  test::TempDir dir;
  const auto path = dir / "p.ENV";
  WriteText(path, "[A]\nk=1\n");
  ::chmod(path.c_str(), 0640);
  WriteIniString(path, "A", "k", "2");
  std::size_t files = 0;
  for (const auto& entry : std::filesystem::directory_iterator(dir.Path())) {
    (void)entry;
    ++files;
  }
  EXPECT_EQ(files, 1u);
  struct stat st {};
  ASSERT_EQ(::stat(path.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0640u);
}

TEST(IniFileTest, SaveFollowsASymbolicLink) {
  test::TempDir dir;
  const auto real = dir / "real.ENV";
  const auto link = dir / "link.ENV";
  WriteText(real, "[A]\nk=1\n");
  std::filesystem::create_symlink(real, link);
  WriteIniString(link, "A", "k", "2");
  EXPECT_TRUE(std::filesystem::is_symlink(link));
  EXPECT_EQ(ReadText(real), "[A]\nk=2\n");
}

TEST(IniFileTest, FailedSaveLeavesTheOldFile) {
  test::TempDir dir;
  const auto path = dir / "gone" / "p.ENV";  // folder does not exist
  IniFile ini;
  ini.Set("A", "k", "v");
  EXPECT_THROW(ini.Save(path), IniWriteError);
  EXPECT_FALSE(std::filesystem::exists(path));
}

TEST(IniFileTest, AFolderOrAHugeFileIsNotReadAsSettings) {
  test::TempDir dir;
  EXPECT_THROW(IniFile::Load(dir.Path()), IniReadError);
  EXPECT_EQ(ReadIniString(dir.Path(), "A", "k", "def"), "def");
  const auto big = dir / "big.ENV";
  WriteText(big, "");
  std::filesystem::resize_file(big, kMaxIniFileBytes + 1);
  EXPECT_THROW(IniFile::Load(big), IniReadError);
}

}  // namespace
}  // namespace plendo::platform
