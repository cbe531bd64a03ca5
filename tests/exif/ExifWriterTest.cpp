#include <gtest/gtest.h>

#include <algorithm>

#include "exif/ByteOrder.h"
#include "exif/ExifFileFixture.h"
#include "exif/ExifInfo.h"
#include "exif/ExifThumbnail.h"
#include "platform/Bitmap.h"
#include "support/ExifBlockWriter.h"
#include "support/TempDir.h"

namespace plendo::exif {
namespace {

using test::AsciiEntry;
using test::Bytes;
using test::BytesEntry;
using test::ExifTestBlock;
using test::RationalEntry;
using test::ShortEntry;

Bytes Slice(const Bytes& bytes, std::size_t from, std::size_t to) {
  return Bytes(bytes.begin() + static_cast<std::ptrdiff_t>(from), bytes.begin() + static_cast<std::ptrdiff_t>(to));
}
Bytes Concat(std::initializer_list<Bytes> parts) {
  Bytes out;
  for (const Bytes& p : parts) out.insert(out.end(), p.begin(), p.end());
  return out;
}
std::size_t SegmentEnd(const Bytes& file, std::size_t app1) { return app1 + 2 + ((file[app1 + 2] << 8) | file[app1 + 3]); }

class ExifWriter : public ExifFileFixture {
 protected:
  // Loads `block` from a camera-like source file into `exif_`.
  void LoadSource(const ExifTestBlock& block) {
    exif_.SetImageFileName(
        Write("source.jpg", test::InsertAfterStart(test::PlainJpeg(16, 16), test::App1Segment(test::BuildTiff(block)))));
  }
  std::vector<std::string> Listing() { return test::Listing(dir_.Path()); }
};

// --- layout ---

struct LayoutCase {
  bool big_endian;
  Bytes segment;
};

class LayoutExample : public ExifWriter, public ::testing::WithParamInterface<LayoutCase> {};

// IFD0: Artist "ab" and the Exif pointer; the Exif directory: one RATIONAL.
// IFD0 at 8 (entries at 10 and 22, next offset at 34), the Exif directory at
// 38 (entry at 40, next offset at 52, the rational at 56): 56 bytes, L = 72.
TEST_P(LayoutExample, IsWrittenByteForByteBeforeTheEnginesApp0) {
  ExifTestBlock block;
  block.big_endian = GetParam().big_endian;
  block.ifd0 = {AsciiEntry(0x013B, "ab")};
  block.exif = {RationalEntry(0x829A, {1, 250})};
  LoadSource(block);
  const Bytes target = test::PlainJpeg(40, 30);
  const auto path = Write("out.jpg", target);
  ASSERT_TRUE(exif_.WriteExifTo(path, false));
  EXPECT_EQ(test::ReadBytes(path), Concat({{0xFF, 0xD8}, GetParam().segment, Slice(target, 2, target.size())}));
  EXPECT_EQ(Find(exif_, 0x8769, 0)->GetAsLong(0), 38u);
  EXPECT_EQ(exif_.MainEntries().GetBlockSize(), 56u);
}

INSTANTIATE_TEST_SUITE_P(
    Orders, LayoutExample,
    ::testing::Values(
        LayoutCase{false, {0xFF, 0xE1, 0x00, 0x48, 'E', 'x', 'i', 'f', 0, 0,
                           'I', 'I', 0x2A, 0x00, 0x08, 0x00, 0x00, 0x00,
                           0x02, 0x00,
                           0x3B, 0x01, 0x02, 0x00, 0x03, 0x00, 0x00, 0x00, 'a', 'b', 0x00, 0x00,
                           0x69, 0x87, 0x04, 0x00, 0x01, 0x00, 0x00, 0x00, 0x26, 0x00, 0x00, 0x00,
                           0x00, 0x00, 0x00, 0x00,
                           0x01, 0x00,
                           0x9A, 0x82, 0x05, 0x00, 0x01, 0x00, 0x00, 0x00, 0x38, 0x00, 0x00, 0x00,
                           0x00, 0x00, 0x00, 0x00,
                           0x01, 0x00, 0x00, 0x00, 0xFA, 0x00, 0x00, 0x00}},
        LayoutCase{true, {0xFF, 0xE1, 0x00, 0x48, 'E', 'x', 'i', 'f', 0, 0,
                          'M', 'M', 0x00, 0x2A, 0x00, 0x00, 0x00, 0x08,
                          0x00, 0x02,
                          0x01, 0x3B, 0x00, 0x02, 0x00, 0x00, 0x00, 0x03, 'a', 'b', 0x00, 0x00,
                          0x87, 0x69, 0x00, 0x04, 0x00, 0x00, 0x00, 0x01, 0x00, 0x00, 0x00, 0x26,
                          0x00, 0x00, 0x00, 0x00,
                          0x00, 0x01,
                          0x82, 0x9A, 0x00, 0x05, 0x00, 0x00, 0x00, 0x01, 0x00, 0x00, 0x00, 0x38,
                          0x00, 0x00, 0x00, 0x00,
                          0x00, 0x00, 0x00, 0x01, 0x00, 0x00, 0x00, 0xFA}}),
    [](const auto& info) { return info.param.big_endian ? "MM" : "II"; });

// --- where the segment goes ---

struct PlacementCase {
  const char* name;
  // The target's bytes before its (old) APP1 segment, after FF D8.
  Bytes before;
  bool old_app1;
};

class Placement : public ExifWriter, public ::testing::WithParamInterface<PlacementCase> {};

TEST_P(Placement, KeepsWhatStandsBeforeTheOldSegmentAndEverythingAfterIt) {
  ExifTestBlock block;
  block.ifd0 = {AsciiEntry(0x010F, "Maker")};
  LoadSource(block);
  ExifTestBlock old_block;
  old_block.ifd0 = {AsciiEntry(0x0110, "an older block with a longer text")};
  const Bytes old_segment = GetParam().old_app1 ? test::App1Segment(test::BuildTiff(old_block)) : Bytes{};
  const Bytes plain = test::PlainJpeg(24, 24);
  const Bytes rest = Slice(plain, 2, plain.size());
  const auto path = Write("out.jpg", Concat({{0xFF, 0xD8}, GetParam().before, old_segment, rest}));
  ASSERT_TRUE(exif_.WriteExifTo(path, false));

  const Bytes out = test::ReadBytes(path);
  const std::size_t app1 = 2 + GetParam().before.size();
  EXPECT_EQ(Slice(out, 0, app1), Concat({{0xFF, 0xD8}, GetParam().before}));
  ASSERT_EQ(out[app1], 0xFF);
  ASSERT_EQ(out[app1 + 1], 0xE1);
  EXPECT_EQ(Slice(out, SegmentEnd(out, app1), out.size()), rest);
  TExifInfo back;
  back.SetImageFileName(path);
  EXPECT_EQ(back.GetAsciiTag(0x010F, 0, false), "Maker");
  EXPECT_EQ(back.MainEntries().Count(), 1);
}

INSTANTIATE_TEST_SUITE_P(Targets, Placement,
                         ::testing::Values(PlacementCase{"EngineOutputWithoutApp1", {}, false},
                                           PlacementCase{"App1AtOffset2", {}, true},
                                           PlacementCase{"App0BeforeApp1", test::App0Segment(), true}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(ExifWriter, AMissingTargetIsNotCreated) {
  LoadSource(test::CameraBlock(false));
  EXPECT_FALSE(exif_.WriteExifTo(dir_ / "missing.jpg", true));
  EXPECT_EQ(Listing(), std::vector<std::string>{"source.jpg"});
}

TEST_F(ExifWriter, ATargetThatIsNoJpegIsLeftAsItWas) {
  LoadSource(test::CameraBlock(false));
  const Bytes png = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A, 1, 2, 3};
  const auto path = Write("out.png", png);
  try {
    exif_.WriteExifTo(path, true);
    ADD_FAILURE() << "wrote into a PNG";
  } catch (const EExifError& e) {
    EXPECT_STREQ(e.what(), "TExifInfo: 有効な画像ファイルではありません");
  }
  EXPECT_EQ(test::ReadBytes(path), png);
  EXPECT_EQ(Listing(), (std::vector<std::string>{"out.png", "source.jpg"}));
}

// --- entries ---

TEST_F(ExifWriter, CountsAreRecomputedAndShortValuesStayInTheirEntry) {
  ExifTestBlock block;
  block.ifd0 = {BytesEntry(0x010F, 2, {'a', 'b', 0, 0, 0, 0, 0})};   // padded text
  block.exif = {BytesEntry(0xA301, 7, {1}), BytesEntry(0x9000, 7, {'0', '2', '3'})};
  LoadSource(block);
  const auto path = Write("out.jpg", test::PlainJpeg(8, 8));
  ASSERT_TRUE(exif_.WriteExifTo(path, false));
  const Bytes out = test::ReadBytes(path);
  // IFD0 at TIFF offset 8: the text entry, then the Exif pointer.
  const std::size_t tiff = 12;
  EXPECT_EQ(Slice(out, tiff + 10, tiff + 22), (Bytes{0x0F, 0x01, 2, 0, 3, 0, 0, 0, 'a', 'b', 0, 0}));
  const std::size_t exif_dir = tiff + Find(exif_, 0x8769, 0)->GetAsLong(0);
  EXPECT_EQ(Slice(out, exif_dir + 2, exif_dir + 14), (Bytes{0x01, 0xA3, 7, 0, 1, 0, 0, 0, 1, 0, 0, 0}));
  EXPECT_EQ(Slice(out, exif_dir + 14, exif_dir + 26), (Bytes{0x00, 0x90, 7, 0, 3, 0, 0, 0, '0', '2', '3', 0}));
}

TEST_F(ExifWriter, EmptyDirectoriesLoseTheirPointersAndPointersBecomeOneLong) {
  LoadSource(test::CameraBlock(false));
  TEntryItems& main = exif_.MainEntries();
  for (int i = main.Count() - 1; i >= 0; --i)
    if (main[i].Directory == 2) main.Delete(i);
  main[main.IndexOfTag(0x8769, 0)].SetAsLong(2, 99);  // three values now
  const auto path = Write("out.jpg", test::PlainJpeg(8, 8));
  ASSERT_TRUE(exif_.WriteExifTo(path, false));

  TExifInfo back;
  back.SetImageFileName(path);
  EXPECT_LT(back.MainEntries().IndexOfTag(0x8825, 0), 0);
  EXPECT_EQ(Find(back, 0x8769, 0)->ValueCount(), 1u);
  EXPECT_EQ(back.MainEntries().CountInDirectory(1), 15);
  EXPECT_EQ(back.MainEntries().CountInDirectory(3), 2);
}

TEST_F(ExifWriter, EveryValueSurvivesAWriteInItsOwnByteOrder) {
  for (bool big : {false, true}) {
    SCOPED_TRACE(big ? "MM" : "II");
    LoadSource(test::CameraBlock(big));
    exif_.SetArtist("Plendo");
    TExifInfo source;
    source.SetImageFileName(dir_ / "source.jpg");
    const auto path = Write("out.jpg", test::PlainJpeg(320, 200));
    ASSERT_TRUE(exif_.WriteExifTo(path, true));

    const Bytes out = test::ReadBytes(path);
    EXPECT_EQ(out[12], big ? 'M' : 'I');
    TExifInfo back;
    back.SetImageFileName(path);
    EXPECT_EQ(back.ByteOrder(), big ? kBigEndian : kLittleEndian);
    EXPECT_EQ(back.GetArtist(), "Plendo");
    EXPECT_EQ(back.MainEntries().IndexOfTag(0x013B, 0), back.MainEntries().CountInDirectory(0) - 1);
    for (int i = 0; i < source.MainEntries().Count(); ++i) {
      const TEntryItem& a = source.MainEntries()[i];
      SCOPED_TRACE(a.Tag);
      const TEntryItem* b = Find(back, a.Tag, a.Directory);
      ASSERT_NE(b, nullptr);
      EXPECT_EQ(b->DataType, a.DataType);
      if (a.Tag != 0x8769 && a.Tag != 0x8825 && a.Tag != 0xA005) EXPECT_EQ(b->RawValues(), a.RawValues());
    }
    EXPECT_EQ(Find(back, 0x927C, 1)->RawValues(), test::CameraMakerNote());
    EXPECT_EQ(back.GetThumbnailCompression(), 6);
  }
}

// The engine reads a source once and writes its output once: loading from
// memory and inserting into memory must give the file route's bytes.
TEST_F(ExifWriter, TheInMemoryRouteWritesWhatTheFileRouteWrites) {
  for (bool big : {false, true}) {
    SCOPED_TRACE(big ? "MM" : "II");
    test::ExifTestBlock block = test::CameraBlock(big);
    block.ifd0.push_back(test::AsciiEntry(0x013B, "Taro"));
    const Bytes source = test::InsertAfterStart(test::PlainJpeg(64, 48), test::App1Segment(test::BuildTiff(block)));
    const Bytes target = test::InsertAfterStart(test::PlainJpeg(320, 200), test::App0Segment());

    TExifInfo by_file;
    by_file.SetImageFileName(Write("source.jpg", source));
    by_file.SetArtist("Taro (Plendo)");
    const auto path = Write("out.jpg", target);
    ASSERT_TRUE(by_file.WriteExifTo(path, true));

    TExifInfo in_memory;
    ASSERT_TRUE(in_memory.HasExif(source));
    in_memory.LoadFromBytes("source.jpg", source);
    in_memory.SetArtist("Taro (Plendo)");
    EXPECT_EQ(in_memory.InsertExifInto(target, true), test::ReadBytes(path));
  }
}

// --- the thumbnail ---

TEST(FitThumbnail, NeverEnlargesAndRoundsHalfToEven) {
  struct Case { int w, h; ThumbnailSize expected; };
  for (const Case& c : {Case{4000, 3000, {160, 120}}, Case{1000, 2000, {60, 120}}, Case{100, 50, {100, 50}},
                        Case{160, 120, {160, 120}}, Case{3200, 50, {160, 2}}, Case{3200, 70, {160, 4}},
                        Case{20000, 10, {160, 1}}, Case{1, 1, {1, 1}}}) {
    EXPECT_EQ(FitThumbnail(c.w, c.h), c.expected) << c.w << " x " << c.h;
  }
}

TEST_F(ExifWriter, TheThumbnailShowsTheTargetAndIfd1GetsItsOffsetAndLength) {
  ExifTestBlock block;
  block.ifd0 = {ShortEntry(0x0112, {1})};
  block.ifd1 = {ShortEntry(0x0103, {6})};  // neither 0x0201 nor 0x0202
  LoadSource(block);
  const auto path = Write("out.jpg", test::PlainJpeg(1000, 2000, 250, 20, 20));
  ASSERT_TRUE(exif_.WriteExifTo(path, true));

  const Bytes out = test::ReadBytes(path);
  TExifInfo back;
  back.SetImageFileName(path);
  ASSERT_EQ(back.ThumbnailEntries().Count(), 3);
  EXPECT_EQ(back.ThumbnailEntries()[1].Tag, 0x0202);
  EXPECT_EQ(back.ThumbnailEntries()[2].Tag, 0x0201);
  const std::size_t start = 12 + Find(back, 0x0201, 0, true)->GetAsLong(0);
  const std::size_t length = Find(back, 0x0202, 0, true)->GetAsLong(0);
  ASSERT_EQ(start + length, SegmentEnd(out, 2));
  EXPECT_EQ(out[start], 0xFF);
  EXPECT_EQ(out[start + 1], 0xD8);
  EXPECT_EQ(out[start + length - 2], 0xFF);
  EXPECT_EQ(out[start + length - 1], 0xD9);
  const platform::Bitmap thumbnail = DecodeJpegThumbnail(out.data() + start, length);
  EXPECT_EQ(thumbnail.Width(), 60);
  EXPECT_EQ(thumbnail.Height(), 120);
  const platform::Rgba centre = thumbnail.PixelAt(30, 60);
  EXPECT_NEAR(centre.r, 250, 6);
  EXPECT_NEAR(centre.g, 20, 6);
}

TEST_F(ExifWriter, AThumbnailThatCannotBeMadeIsLeftOut) {
  LoadSource(test::CameraBlock(false));
  const Bytes broken = Concat({{0xFF, 0xD8}, test::App0Segment(), Bytes(64, 0x55)});
  const auto path = Write("out.jpg", broken);
  ASSERT_TRUE(exif_.WriteExifTo(path, true));
  TExifInfo back;
  back.SetImageFileName(path);
  EXPECT_EQ(back.ThumbnailEntries().Count(), 0);
  const Bytes out = test::ReadBytes(path);
  EXPECT_EQ(Slice(out, SegmentEnd(out, 2), out.size()), Slice(broken, 2, broken.size()));
}

// --- the 16-bit length ---

TEST_F(ExifWriter, ABlockThatLeavesNoRoomForTheThumbnailGoesWithoutIt) {
  ExifTestBlock block = test::CameraBlock(false);
  block.exif.push_back(BytesEntry(0xA420, 7, Bytes(64000, 0x42)));
  block.thumbnail.clear();
  LoadSource(block);
  const auto path = Write("out.jpg", test::PlainJpeg(640, 480));
  ASSERT_TRUE(exif_.WriteExifTo(path, true));
  const Bytes out = test::ReadBytes(path);
  TExifInfo back;
  back.SetImageFileName(path);
  EXPECT_EQ(back.ThumbnailEntries().Count(), 0);
  EXPECT_EQ(Find(back, 0xA420, 1)->RawValues().size(), 64000u);
  EXPECT_EQ(SegmentEnd(out, 2) - 4, 16u + exif_.MainEntries().GetBlockSize());
}

TEST_F(ExifWriter, ABlockTooLargeForOneSegmentFailsAndLeavesTheTarget) {
  LoadSource(test::CameraBlock(false));
  exif_.MainEntries().AddTag(0xA420).SetAsUndefined(Bytes(70000, 1));
  const Bytes target = test::PlainJpeg(64, 64);
  const auto path = Write("out.jpg", target);
  try {
    exif_.WriteExifTo(path, true);
    ADD_FAILURE() << "wrote a segment longer than 65535 bytes";
  } catch (const EExifError& e) {
    EXPECT_STREQ(e.what(), "TExifInfo: Exif 情報が大きすぎます");
  }
  EXPECT_EQ(test::ReadBytes(path), target);
  EXPECT_EQ(Listing(), (std::vector<std::string>{"out.jpg", "source.jpg"}));
}

}  // namespace
}  // namespace plendo::exif
