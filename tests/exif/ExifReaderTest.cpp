#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

#include "exif/ExifFileFixture.h"
#include "exif/ExifInfo.h"
#include "exif/WideFileStream.h"
#include "support/ExifBlockWriter.h"
#include "support/TempDir.h"

namespace plendo::exif {
namespace {

using test::AsciiEntry;
using test::Bytes;
using test::BytesEntry;
using test::ExifTestBlock;
using test::LongEntry;
using test::NumberEntry;
using test::RationalEntry;
using test::ShortEntry;

Bytes JpegWith(const ExifTestBlock& block, int width = 32, int height = 24) {
  return test::InsertAfterStart(test::PlainJpeg(width, height), test::App1Segment(test::BuildTiff(block)));
}

// Catches the EExifError an operation raises and returns its message.
template <typename F>
std::string ExifErrorOf(F&& operation) {
  try {
    operation();
  } catch (const EExifError& e) {
    return e.what();
  }
  return "(no error)";
}

using ExifReader = ExifFileFixture;

// --- finding the APP1 segment ---

struct PositionCase {
  const char* name;
  Bytes bytes;
  int search_bytes;
  std::int64_t expected;
};

class FindPosition : public ::testing::TestWithParam<PositionCase> {};

TEST_P(FindPosition, WalksSegmentsOrScansSearchBytes) {
  TExifInfo exif;
  exif.SetSearchBytes(GetParam().search_bytes);
  TMemoryStream stream(GetParam().bytes);
  stream.SetPosition(0);
  EXPECT_EQ(exif.FindExifPosition(stream), GetParam().expected);
  EXPECT_EQ(stream.Position(), 0);
}

const Bytes kApp0ThenApp1 = [] {
  Bytes b = {0xFF, 0xD8};
  const Bytes app0 = test::App0Segment();
  b.insert(b.end(), app0.begin(), app0.end());
  b.insert(b.end(), {0xFF, 0xE1, 0x00, 0x02});
  return b;
}();
// FF D8, a DQT marker, six bytes, FF E1 at offset 10.
const Bytes kScanTarget = {0xFF, 0xD8, 0xFF, 0xDB, 0, 1, 2, 3, 4, 5, 0xFF, 0xE1, 0, 2};

INSTANTIATE_TEST_SUITE_P(
    Segments, FindPosition,
    ::testing::Values(PositionCase{"App1First", {0xFF, 0xD8, 0xFF, 0xE1, 0, 2}, 16, 2},
                      PositionCase{"App0ThenApp1", kApp0ThenApp1, 16, 20},
                      PositionCase{"ScanFinds", kScanTarget, 16, 10},
                      PositionCase{"ScanLastByteInReach", kScanTarget, 6, 10},
                      PositionCase{"ScanOutOfReach", kScanTarget, 5, -1},
                      PositionCase{"ScanThreeBytes", kScanTarget, 3, -1},
                      PositionCase{"ScanZeroStillLooksOnce", {0xFF, 0xD8, 0xFF, 0xDB, 0xFF, 0xE1}, 0, 4},
                      PositionCase{"ScanZeroOnlyOnce", {0xFF, 0xD8, 0xFF, 0xDB, 0x00, 0xFF, 0xE1}, 0, -1},
                      PositionCase{"ScanRetriesAfterFF", {0xFF, 0xD8, 0xFF, 0xDB, 0xFF, 0xFF, 0xE1}, 16, 5},
                      PositionCase{"WalkStopsAtNonMarker", {0xFF, 0xD8, 0xFF, 0xE0, 0, 4, 0, 0, 0x12, 0x34}, 16, -1},
                      PositionCase{"WalkLengthBelowTwo", {0xFF, 0xD8, 0xFF, 0xE0, 0, 0, 0xFF, 0xE1}, 16, -1},
                      PositionCase{"WalkPastEnd", {0xFF, 0xD8, 0xFF, 0xE0, 0x40, 0}, 16, -1},
                      PositionCase{"NotAJpeg", {0x89, 'P', 'N', 'G', 0xFF, 0xE1}, 16, -1},
                      PositionCase{"Empty", {}, 16, -1}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(ExifReader, SearchBytesIsNeverNegative) {
  exif_.SetSearchBytes(-5);
  EXPECT_EQ(exif_.SearchBytes(), 0);
  EXPECT_EQ(TExifInfo().SearchBytes(), 16);
}

TEST_F(ExifReader, ANonJpegHasNoExifAndFailsToLoadWithCodeMinus2) {
  const auto path = Write("a.png", {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A, 0, 0, 0, 0});
  EXPECT_FALSE(exif_.HasExif(path));
  EXPECT_EQ(ExifErrorOf([&] { exif_.SetImageFileName(path); }), "TExifInfo: Exif、またはDCF形式ではありません");
  EXPECT_EQ(exif_.FrameWidth(), 0u);
  EXPECT_EQ(exif_.FrameHeight(), 0u);
  // The scan case: no APPn first and FF E1 beyond SearchBytes.
  const auto scan = Write("scan.jpg", kScanTarget);
  exif_.SetSearchBytes(3);
  EXPECT_EQ(ExifErrorOf([&] { exif_.SetImageFileName(scan); }), "TExifInfo: Exif、またはDCF形式ではありません");
}

TEST_F(ExifReader, AMissingFileFailsWithCodeMinus1UnlessTheHandlerAllowsIt) {
  bool updated = false;
  exif_.OnUpdate = [&](TExifInfo&) { updated = true; };
  EXPECT_EQ(ExifErrorOf([&] { exif_.SetImageFileName(dir_ / "none.jpg"); }), "TExifInfo: ファイルが見つかりません");
  EXPECT_TRUE(updated);
  EXPECT_THROW(exif_.HasExif(dir_ / "none.jpg"), EFOpenError);
  int code = 0;
  exif_.OnError = [&](TExifInfo&, int c, bool& allow) { code = c; allow = false; };
  EXPECT_NO_THROW(exif_.SetImageFileName(dir_ / "none.jpg"));
  EXPECT_EQ(code, kExifFileNotFound);
}

TEST_F(ExifReader, ErrorTextsFollowTheirCodes) {
  EXPECT_EQ(EExifError(-3).Message(), "TExifInfo: ユーザコメントは不明な形式です");
  EXPECT_EQ(EExifError(-5).Message(), "TExifInfo: 不正なストリーム");
  EXPECT_EQ(EExifError(-6).Message(), "TExifInfo: 不正なインデックス");
  EXPECT_EQ(EExifError(-8).Message(), "TExifInfo: 日時は不明です");
  EXPECT_EQ(EExifError(-99).Message(), "TExifInfo: 不明なエラーです");
}

TEST_F(ExifReader, AnEmptyFileNameKeepsWhatWasLoaded) {
  ExifTestBlock block;
  block.ifd0 = {AsciiEntry(0x013B, "someone")};
  exif_.SetImageFileName(Write("a.jpg", JpegWith(block)));
  exif_.SetImageFileName("");
  EXPECT_EQ(exif_.GetArtist(), "someone");
  EXPECT_TRUE(exif_.ImageFileName().empty());
}

TEST_F(ExifReader, TheFrameProbeOfADamagedFileEndsWithoutASize) {
  // A segment length of 0 would step back onto itself forever.
  const auto looping = Write("loop.jpg", {0xFF, 0xD8, 0xFF, 0xDB, 0x00, 0x00, 0xFF, 0xE1, 0x00, 0x02});
  EXPECT_EQ(ExifErrorOf([&] { exif_.SetImageFileName(looping); }), "TExifInfo: 不正なストリーム");
  EXPECT_EQ(exif_.FrameWidth(), 0u);
  // A start-of-frame marker cut short: no stream error escapes the load.
  const Bytes segment = test::App1Segment(test::BuildTiff(test::CameraBlock(false)));
  Bytes cut = test::InsertAfterStart(test::PlainJpeg(8, 8), segment);
  const Bytes marker = {0xFF, 0xC0};  // past the thumbnail, which has one of its own
  const auto sof = std::search(cut.begin() + 2 + static_cast<std::ptrdiff_t>(segment.size()), cut.end(),
                               marker.begin(), marker.end());
  ASSERT_NE(sof, cut.end());
  cut.resize(static_cast<std::size_t>(sof - cut.begin()) + 6);
  exif_.SetImageFileName(Write("cut.jpg", cut));
  EXPECT_EQ(exif_.FrameWidth(), 0u);
  EXPECT_EQ(exif_.GetThumbnailCompression(), 6);
}

// --- values ---

ExifTestBlock EveryType(bool big_endian) {
  ExifTestBlock block;
  block.big_endian = big_endian;
  block.ifd0 = {
      BytesEntry(0x1001, 1, {1, 2, 3}),                      // inside the entry
      BytesEntry(0x1002, 1, {1, 2, 3, 4, 5}),                // outside
      AsciiEntry(0x1003, "abc"),                             // 4 bytes: inside
      AsciiEntry(0x1004, "abcd"),                            // 5 bytes: outside
      ShortEntry(0x1005, {0x1234, 0xFEDC}),                  // inside
      ShortEntry(0x1006, {1, 2, 0xABCD}),                    // outside
      LongEntry(0x1007, {0x12345678}),
      LongEntry(0x1008, {0x89ABCDEF, 7}),
      RationalEntry(0x1009, {1, 250}),
      BytesEntry(0x100A, 6, {0xFF, 0x80}),
      BytesEntry(0x100B, 7, {9, 8, 7, 6, 5, 4}),
      NumberEntry(0x100C, 8, {0xFFFE}),
      NumberEntry(0x100D, 9, {0xFFFFFFFF, 5}),
      NumberEntry(0x100E, 10, {0xFFFFFFFD, 3}),
      NumberEntry(0x100F, 11, {0x3F800000}),
      NumberEntry(0x1010, 12, {0x400921FB54442D18}),
  };
  return block;
}

class BothOrders : public ExifReader, public ::testing::WithParamInterface<bool> {};

TEST_P(BothOrders, EveryDataTypeLoadsToItsValues) {
  exif_.SetImageFileName(Write("a.jpg", JpegWith(EveryType(GetParam()))));
  EXPECT_EQ(exif_.ByteOrder(), GetParam() ? 0x4D4D : 0x4949);
  ASSERT_EQ(exif_.MainEntries().Count(), 16);
  EXPECT_EQ(Find(0x1001, 0)->RawValues(), (Bytes{1, 2, 3}));
  EXPECT_EQ(Find(0x1001, 0)->SourceOffset, 0u);
  EXPECT_EQ(Find(0x1002, 0)->RawValues(), (Bytes{1, 2, 3, 4, 5}));
  EXPECT_NE(Find(0x1002, 0)->SourceOffset, 0u);
  EXPECT_EQ(Find(0x1003, 0)->GetAsString(), "abc");
  EXPECT_EQ(Find(0x1004, 0)->GetAsString(), "abcd");
  EXPECT_EQ(Find(0x1004, 0)->ValueCount(), 1u);
  EXPECT_EQ(Find(0x1005, 0)->GetAsShort(1), 0xFEDC);
  EXPECT_EQ(Find(0x1006, 0)->GetAsShort(2), 0xABCD);
  EXPECT_EQ(Find(0x1006, 0)->ValueCount(), 3u);
  EXPECT_EQ(Find(0x1006, 0)->GetAsShort(3), 0);  // out of range
  EXPECT_EQ(Find(0x1006, 0)->GetAsLong(0), 0u);  // not a LONG
  EXPECT_EQ(Find(0x1007, 0)->GetAsLong(0), 0x12345678u);
  EXPECT_EQ(Find(0x1008, 0)->GetAsLong(0), 0x89ABCDEFu);
  EXPECT_EQ(Find(0x1009, 0)->GetAsRational(0), (TExifRational{1, 250}));
  EXPECT_EQ(Find(0x100A, 0)->RawValues(), (Bytes{0xFF, 0x80}));
  EXPECT_EQ(Find(0x100B, 0)->RawValues(), (Bytes{9, 8, 7, 6, 5, 4}));
  EXPECT_EQ(Find(0x100B, 0)->ValueCount(), 1u);
  EXPECT_EQ(Find(0x100C, 0)->RawValues(), (Bytes{0xFE, 0xFF}));  // machine order
  EXPECT_EQ(static_cast<std::int32_t>(Find(0x100E, 0)->GetAsRational(0).Numerator), -3);
  EXPECT_EQ(Find(0x100F, 0)->RawValues(), (Bytes{0, 0, 0x80, 0x3F}));
  EXPECT_DOUBLE_EQ(Find(0x1010, 0)->GetAsDouble(0), 3.141592653589793);
}

TEST_F(ExifReader, BothByteOrdersLoadTheSameEntries) {
  TExifInfo big;
  exif_.SetImageFileName(Write("ii.jpg", JpegWith(test::CameraBlock(false))));
  big.SetImageFileName(Write("mm.jpg", JpegWith(test::CameraBlock(true))));
  for (bool thumbnail : {false, true}) {
    TEntryItems& a = thumbnail ? exif_.ThumbnailEntries() : exif_.MainEntries();
    TEntryItems& b = thumbnail ? big.ThumbnailEntries() : big.MainEntries();
    ASSERT_EQ(a.Count(), b.Count());
    for (int i = 0; i < a.Count(); ++i) {
      SCOPED_TRACE(a[i].Tag);
      EXPECT_EQ(a[i].Tag, b[i].Tag);
      EXPECT_EQ(a[i].DataType, b[i].DataType);
      EXPECT_EQ(a[i].Directory, b[i].Directory);
      EXPECT_EQ(a[i].ComponentCount, b[i].ComponentCount);
      EXPECT_EQ(a[i].RawValues(), b[i].RawValues());
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Orders, BothOrders, ::testing::Values(false, true),
                         [](const auto& info) { return info.param ? "MM" : "II"; });

TEST_F(ExifReader, AsciiTextStopsAtTheFirstZeroOrTakesEveryByte) {
  ExifTestBlock block;
  auto no_zero = BytesEntry(0x2001, 2, {'a', 'b', 'c', 'd', 'e', 'f'});
  auto padded = BytesEntry(0x2002, 2, {'a', 'b', 0, 0, 0, 0, 0});
  auto empty = BytesEntry(0x2003, 2, {});
  block.ifd0 = {no_zero, padded, empty};
  exif_.SetImageFileName(Write("a.jpg", JpegWith(block)));
  EXPECT_EQ(Find(0x2001, 0)->GetAsString(), "abcdef");
  EXPECT_EQ(Find(0x2002, 0)->GetAsString(), "ab");
  EXPECT_EQ(Find(0x2002, 0)->ComponentCount, 7u);
  EXPECT_EQ(Find(0x2003, 0)->GetAsString(), "");
  EXPECT_EQ(Find(0x2003, 0)->ValueCount(), 0u);
}

TEST_F(ExifReader, AnAsciiUserCommentIsHeldAsUndefinedOnlyInTheExifDirectory) {
  ExifTestBlock block;
  const Bytes comment = {'h', 'e', 'l', 'l', 'o', 0, 'x', 0};
  block.ifd0 = {BytesEntry(0x9286, 2, comment)};
  block.exif = {BytesEntry(0x9286, 2, comment)};
  exif_.SetImageFileName(Write("a.jpg", JpegWith(block)));
  EXPECT_EQ(Find(0x9286, 0)->DataType, kTypeAscii);
  EXPECT_EQ(Find(0x9286, 0)->GetAsString(), "hello");
  EXPECT_EQ(Find(0x9286, 1)->DataType, kTypeUndefined);
  EXPECT_EQ(Find(0x9286, 1)->RawValues(), comment);
  EXPECT_EQ(Find(0x9286, 1)->ValueCount(), 1u);
}

TEST_F(ExifReader, WithoutIfd1TheThumbnailCompressionIsATagNotFound) {
  ExifTestBlock block;
  block.ifd0 = {ShortEntry(0x0112, {1})};
  exif_.SetImageFileName(Write("a.jpg", JpegWith(block)));
  EXPECT_EQ(exif_.ThumbnailEntries().Count(), 0);
  EXPECT_EQ(ExifErrorOf([&] { exif_.GetThumbnailCompression(); }), "TExifInfo: タグが見つかりません");
  EXPECT_EQ(ExifErrorOf([&] { exif_.GetAsciiTag(0x010F, 0, true); }), "TExifInfo: タグが見つかりません");
  EXPECT_EQ(exif_.GetArtist(), "");
  exif_.OnError = [](TExifInfo&, int, bool& allow) { allow = false; };
  EXPECT_EQ(exif_.GetThumbnailCompression(), 0);
}

TEST_F(ExifReader, SetArtistTakesOnlySingleByteText) {
  ExifTestBlock block;
  block.ifd0 = {AsciiEntry(0x010F, "Maker"), AsciiEntry(0x013B, "Old"), ShortEntry(0x0213, {1})};
  exif_.SetImageFileName(Write("a.jpg", JpegWith(block)));
  EXPECT_EQ(ExifErrorOf([&] { exif_.SetArtist("写真家"); }), "TExifInfo: ASCII文字以外は書き込みできません");
  EXPECT_EQ(exif_.GetArtist(), "Old");
  exif_.SetArtist("Old (Plendo)");
  EXPECT_EQ(exif_.MainEntries().IndexOfTag(0x013B, 0), 1);  // replaced in place
  EXPECT_EQ(exif_.GetArtist(), "Old (Plendo)");

  block.ifd0 = {AsciiEntry(0x010F, "Maker"), ShortEntry(0x0213, {1})};
  exif_.SetImageFileName(Write("b.jpg", JpegWith(block)));
  exif_.SetArtist("Plendo");
  EXPECT_EQ(exif_.MainEntries().IndexOfTag(0x013B, 0), 2);  // appended after every entry read
  EXPECT_EQ(exif_.GetArtist(), "Plendo");
  EXPECT_TRUE(IsSingleByteText("plain ASCII ~"));
  EXPECT_FALSE(IsSingleByteText("caf\xC3\xA9"));
}

// --- damaged blocks ---

TEST_F(ExifReader, EntriesWithoutAValueLayoutAreDropped) {
  ExifTestBlock block;
  auto type0 = LongEntry(0x3001, {1});
  type0.type = 0;
  auto type13 = LongEntry(0x3002, {1, 2});
  type13.type = 13;
  auto type259 = ShortEntry(0x3003, {1});
  type259.type = 0x0103;
  block.ifd0 = {ShortEntry(0x0112, {3}), type0, type13, type259, AsciiEntry(0x013B, "me")};
  exif_.SetImageFileName(Write("a.jpg", JpegWith(block)));
  ASSERT_EQ(exif_.MainEntries().Count(), 2);
  EXPECT_EQ(Find(0x0112, 0)->GetAsShort(0), 3);
  EXPECT_EQ(exif_.GetArtist(), "me");
}

struct DamageCase {
  const char* name;
  std::function<void(ExifTestBlock&, Bytes& tiff)> damage;
};

class DamagedBlock : public ExifReader, public ::testing::WithParamInterface<DamageCase> {};

TEST_P(DamagedBlock, FailsWithCodeMinus5) {
  ExifTestBlock block = test::CameraBlock(false);
  Bytes tiff;
  GetParam().damage(block, tiff);
  if (tiff.empty()) tiff = test::BuildTiff(block);
  const auto path = Write("a.jpg", test::InsertAfterStart(test::PlainJpeg(16, 16), test::App1Segment(tiff)));
  EXPECT_EQ(ExifErrorOf([&] { exif_.SetImageFileName(path); }), "TExifInfo: 不正なストリーム");
}

INSTANTIATE_TEST_SUITE_P(
    Cases, DamagedBlock,
    ::testing::Values(
        DamageCase{"BadByteOrderMark", [](ExifTestBlock& b, Bytes& tiff) {
                     tiff = test::BuildTiff(b);
                     tiff[0] = 'I';
                     tiff[1] = 'M';
                   }},
        DamageCase{"CountPastTheEnd", [](ExifTestBlock& b, Bytes&) { b.exif[7].count = 0x7FFFFFFF; }},
        DamageCase{"HugeLongCount", [](ExifTestBlock& b, Bytes&) { b.ifd0[3].count = 0xFFFFFFFF; }},
        DamageCase{"OffsetPastTheEnd", [](ExifTestBlock& b, Bytes&) { b.ifd0[0].offset = 0xFFFFFFF0; }},
        DamageCase{"Ifd0PastTheEnd", [](ExifTestBlock& b, Bytes& tiff) {
                     tiff = test::BuildTiff(b);
                     tiff[4] = tiff[5] = tiff[6] = 0xFF;
                   }},
        DamageCase{"EntryCountPastTheEnd", [](ExifTestBlock& b, Bytes& tiff) {
                     tiff = test::BuildTiff(b);
                     tiff[8] = tiff[9] = 0xFF;
                   }}),
    [](const auto& info) { return std::string(info.param.name); });

// --- a camera's file ---

TEST_F(ExifReader, ACameraJpegLoadsWithArtistThumbnailAndFrameSize) {
  ExifTestBlock block = test::CameraBlock(true);
  block.ifd0.push_back(AsciiEntry(0x013B, "Photographer"));
  const auto path = Write("IMG_0001.JPG", JpegWith(block, 400, 300));
  EXPECT_TRUE(exif_.HasExif(path));
  EXPECT_EQ(exif_.GetExifPosition(path), 2);
  exif_.SetImageFileName(path);
  EXPECT_EQ(exif_.ImageFileName(), path);
  EXPECT_EQ(exif_.GetArtist(), "Photographer");
  EXPECT_EQ(exif_.GetThumbnailCompression(), 6);
  EXPECT_EQ(exif_.FrameWidth(), 400u);
  EXPECT_EQ(exif_.FrameHeight(), 300u);
  EXPECT_EQ(exif_.TiffOrigin(), 12);
  EXPECT_EQ(exif_.MainEntries().CountInDirectory(0), 11);  // 9 tags, 2 pointers
  EXPECT_EQ(exif_.MainEntries().CountInDirectory(1), 15);
  EXPECT_EQ(exif_.MainEntries().CountInDirectory(2), 5);
  EXPECT_EQ(exif_.MainEntries().CountInDirectory(3), 2);
  EXPECT_EQ(exif_.ThumbnailEntries().CountInDirectory(0), 6);
  EXPECT_EQ(Find(0x927C, 1)->RawValues(), test::CameraMakerNote());
  EXPECT_EQ(Find(0x0002, 2)->GetAsRational(2), (TExifRational{1234, 100}));
  EXPECT_EQ(Find(0x0202, 0, true)->GetAsLong(0), block.thumbnail.size());
}

}  // namespace
}  // namespace plendo::exif
