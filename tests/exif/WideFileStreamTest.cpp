#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>

#include "exif/ByteOrder.h"
#include "exif/FileReplace.h"
#include "exif/WideFileStream.h"
#include "support/ExifBlockWriter.h"
#include "support/TempDir.h"
#include "support/TestNames.h"

namespace plendo::exif {
namespace {

using test::Bytes;

TEST(WideFileStream, CreateTruncatesAnExistingFile) {
  test::TempDir dir;
  const auto path = dir / "a.bin";
  test::WriteBytes(path, Bytes(100, 7));
  { TWideFileStream stream(path, fmCreate); EXPECT_EQ(stream.Size(), 0); EXPECT_EQ(stream.FileName(), path); }
  EXPECT_EQ(std::filesystem::file_size(path), 0u);
}

TEST(WideFileStream, ExistsOnlyForFiles) {
  test::TempDir dir;
  test::WriteBytes(dir / "f", {1});
  EXPECT_TRUE(WideFileExists(dir / "f"));
  EXPECT_FALSE(WideFileExists(dir.Path()));
  EXPECT_FALSE(WideFileExists(dir / "missing"));
}

TEST(WideFileStream, OpenErrorNamesTheFullPathAndTheSystemText) {
  test::TempDir dir;
  const auto cwd = std::filesystem::current_path();
  std::filesystem::current_path(dir.Path());
  try {
    TWideFileStream stream("missing.jpg", fmOpenRead);
    ADD_FAILURE() << "opened a missing file";
  } catch (const EFOpenError& e) {
    const std::string message = e.what();
    EXPECT_NE(message.find((dir / "missing.jpg").string()), std::string::npos) << message;
    EXPECT_NE(message.find(std::strerror(ENOENT)), std::string::npos) << message;
    EXPECT_EQ(e.ErrorNumber(), ENOENT);
  }
  std::filesystem::current_path(cwd);
  EXPECT_THROW(TWideFileStream(dir.Path(), fmOpenRead), EFOpenError);  // a folder is no file
}

// The in-place rewrite words a failed write as the EXIF code's own error,
// with the target's full path, and leaves the folder as it was.
TEST(FileReplace, AFailedRewriteIsACreateErrorNamingTheTarget) {
  test::TempDir dir;
  std::filesystem::create_directory(dir / "out.jpg");
  try {
    ReplaceFileContents(dir / "out.jpg", Bytes{1, 2}.data(), 2);
    ADD_FAILURE() << "replaced a folder";
  } catch (const EFCreateError& e) {
    const std::string message = e.what();
    EXPECT_EQ(message, "ファイル \"" + (dir / "out.jpg").string() + "\" を作成できません。" + std::strerror(EISDIR));
  }
  EXPECT_EQ(test::Listing(dir.Path()), std::vector<std::string>{"out.jpg"});
}

struct ModeCase {
  std::uint16_t mode;
  bool valid;
  friend void PrintTo(const ModeCase& m, std::ostream* os) {
    *os << "mode " << std::hex << m.mode << (m.valid ? " opens" : " refused");
  }
};

class OpenMode : public ::testing::TestWithParam<ModeCase> {};

TEST_P(OpenMode, IsCheckedBeforeTheFileIsTouched) {
  test::TempDir dir;
  const auto path = dir / "f";
  test::WriteBytes(path, {1, 2, 3});
  EXPECT_EQ(IsValidOpenMode(GetParam().mode), GetParam().valid);
  if (GetParam().valid) {
    TWideFileStream stream(path, GetParam().mode);
    EXPECT_EQ(stream.Size(), 3);
  } else {
    EXPECT_EQ(WideFileOpen(path, GetParam().mode), kInvalidHandle);
    EXPECT_THROW(TWideFileStream(path, GetParam().mode), EFOpenError);
  }
}

INSTANTIATE_TEST_SUITE_P(Modes, OpenMode,
                         ::testing::Values(ModeCase{fmOpenRead, true}, ModeCase{fmOpenWrite, true},
                                           ModeCase{fmOpenReadWrite, true}, ModeCase{0x0003, false},
                                           ModeCase{fmOpenRead | fmShareDenyNone, true},
                                           ModeCase{fmOpenReadWrite | fmShareExclusive, true},
                                           ModeCase{fmOpenRead | 0x0050, false}, ModeCase{0x00F2, false},
                                           ModeCase{0x0033, false}),
                         test::PrintedName());

TEST(WideFileStream, ReadsWritesSeeksAndSizesANonAsciiPath) {
  test::TempDir dir;
  const auto folder = dir / (std::string(120, 'x') + "_写真フォルダ");
  std::filesystem::create_directory(folder);
  const auto path = folder / (std::string(100, 'y') + "_画像.jpg");
  {
    TWideFileStream stream(path, fmCreate);
    const std::uint8_t bytes[] = {1, 2, 3, 4, 5};
    stream.WriteBuffer(bytes, 5);
    EXPECT_EQ(stream.Seek(-2, SeekOrigin::End), 3);
    EXPECT_EQ(stream.ReadByte(), 4);
    EXPECT_EQ(stream.Size(), 5);
  }
  TWideFileStream stream(path, fmOpenRead);
  std::uint8_t buffer[8];
  stream.SetPosition(1);
  stream.ReadBuffer(buffer, 4);
  EXPECT_EQ(buffer[3], 5);
  EXPECT_THROW(stream.ReadByte(), EReadError);
  EXPECT_THROW(stream.WriteByte(1), EWriteError);  // opened for reading only
}

TEST(ByteOrder, ReadersTestForIntelAndFallBackToBigEndian) {
  struct Case { std::uint16_t order; std::uint16_t word; std::int16_t signed_word; };
  for (const Case c : {Case{0x4949, 0x3412, 0x3412}, Case{0x4D4D, 0x1234, 0x1234}, Case{0x0000, 0x1234, 0x1234}}) {
    TMemoryStream stream(Bytes{0x12, 0x34, 0x12, 0x34});
    EXPECT_EQ(ReadWord(stream, c.order), c.word) << std::hex << c.order;
    EXPECT_EQ(ReadSignedWord(stream, c.order), c.signed_word);
  }
  TMemoryStream negative(Bytes{0xFF, 0xFE, 0xFF, 0xFF, 0xFF, 0xFE});
  EXPECT_EQ(ReadSignedWord(negative, 0x4D4D), -2);
  EXPECT_EQ(ReadSignedDWord(negative, 0x4949), -0x01000001);

  TMemoryStream dword(Bytes{1, 2, 3, 4, 1, 2, 3, 4});
  EXPECT_EQ(ReadDWord(dword, 0x4949), 0x04030201u);
  EXPECT_EQ(ReadDWord(dword, 0x4D4D), 0x01020304u);

  TMemoryStream big(Bytes{0x3F, 0xF0, 0, 0, 0, 0, 0, 0});
  EXPECT_EQ(ReadDouble(big, 0x4D4D), 1.0);
  TMemoryStream little(Bytes{0, 0, 0, 0, 0, 0, 0xF0, 0x3F});
  EXPECT_EQ(ReadDouble(little, 0x4949), 1.0);
  TMemoryStream single(Bytes{0x3F, 0x80, 0, 0});
  EXPECT_EQ(ReadSingle(single, 0x4D4D), 1.0f);

  TMemoryStream short_read(Bytes{1});
  EXPECT_THROW(ReadWord(short_read, 0x4949), EReadError);
}

TEST(ByteOrder, WriteDWordTestsForMotorolaAndFallsBackToLittleEndian) {
  struct Case { std::uint16_t order; Bytes dword; Bytes word; };
  for (const Case& c : {Case{0x4949, {4, 3, 2, 1}, {0x34, 0x12}}, Case{0x4D4D, {1, 2, 3, 4}, {0x12, 0x34}},
                        Case{0x0000, {4, 3, 2, 1}, {0x12, 0x34}}}) {
    TMemoryStream stream;
    WriteDWord(stream, 0x01020304, c.order);
    WriteWord(stream, 0x1234, c.order);
    Bytes expected = c.dword;
    expected.insert(expected.end(), c.word.begin(), c.word.end());
    EXPECT_EQ(stream.Bytes(), expected) << std::hex << c.order;
  }
}

}  // namespace
}  // namespace plendo::exif
