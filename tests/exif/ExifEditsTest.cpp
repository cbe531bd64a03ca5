// The edits that make a carried block true of its output: the pixel size,
// and no position when asked, checked on the block and by exiftool.
#include <gtest/gtest.h>

#include "exif/ExifFileFixture.h"
#include "support/ExifBlockWriter.h"
#include "support/TestFiles.h"

namespace plendo::exif {
namespace {

using test::Bytes;
using test::ExifTestBlock;

constexpr std::uint16_t kPixelX = 0xA002, kPixelY = 0xA003, kImageWidth = 0x0100, kImageLength = 0x0101;

class ExifEdits : public ExifFileFixture {
 protected:
  void Load(const ExifTestBlock& block) {
    exif_.SetImageFileName(
        Write("source.jpg", test::InsertAfterStart(test::PlainJpeg(16, 16), test::App1Segment(test::BuildTiff(block)))));
  }
  // The block as exiftool reads it from a JPEG it went into.
  std::string Exiftool(const std::string& options) {
    const auto out = Write("out.jpg", exif_.InsertExifInto(test::PlainJpeg(32, 24), false));
    return test::RunCommand("exiftool -s -s -s " + options + " '" + out.string() + "'");
  }
};

struct SizeCase {
  const char* name;
  std::uint16_t dimension_type;  // of the source's PixelXDimension and ImageWidth
  bool ifd0_size;                // the source's IFD0 has ImageWidth/ImageLength
  std::uint32_t width, height;
};

class PixelSize : public ExifEdits, public ::testing::WithParamInterface<SizeCase> {};

TEST_P(PixelSize, TellsTheOutputsSize) {
  const SizeCase& c = GetParam();
  ExifTestBlock block = test::CameraBlock(false);
  for (auto& e : block.exif)
    if (e.tag == kPixelX || e.tag == kPixelY) e.type = c.dimension_type;
  if (c.ifd0_size) {
    block.ifd0.insert(block.ifd0.begin(), test::NumberEntry(kImageLength, c.dimension_type, {3000}));
    block.ifd0.insert(block.ifd0.begin(), test::NumberEntry(kImageWidth, c.dimension_type, {4000}));
  }
  Load(block);
  exif_.SetPixelSize(c.width, c.height);
  const auto value = [&](std::uint16_t tag, std::uint8_t dir) {
    const TEntryItem* e = Find(tag, dir);
    return e->DataType == kTypeShort ? e->GetAsShort(0) : e->GetAsLong(0);
  };
  EXPECT_EQ(value(kPixelX, 1), c.width);
  EXPECT_EQ(value(kPixelY, 1), c.height);
  // A SHORT stays one where the size fits it.
  EXPECT_EQ(Find(kPixelX, 1)->DataType, c.dimension_type == kTypeShort && c.width <= 0xFFFF ? kTypeShort : kTypeLong);
  if (c.ifd0_size) {
    EXPECT_EQ(value(kImageWidth, 0), c.width);
    EXPECT_EQ(value(kImageLength, 0), c.height);
  } else {
    EXPECT_EQ(Find(kImageWidth, 0), nullptr);  // never added
  }
  if (!test::HaveExiftool()) return;
  EXPECT_EQ(Exiftool("-n -ExifImageWidth -ExifImageHeight"),
            std::to_string(c.width) + "\n" + std::to_string(c.height) + "\n");
}

INSTANTIATE_TEST_SUITE_P(Sizes, PixelSize,
                         ::testing::Values(SizeCase{"Long", kTypeLong, false, 320, 240},
                                           SizeCase{"ShortWithIfd0Size", kTypeShort, true, 640, 427},
                                           SizeCase{"ShortTooSmallForSize", kTypeShort, true, 70000, 3}),
                         [](const auto& info) { return std::string(info.param.name); });

// A phone's block: Apple's maker note (its own IFD after "Apple iOS"), GPS.
Bytes AppleMakerNote() {
  return {'A', 'p', 'p', 'l', 'e', ' ', 'i', 'O', 'S', 0, 0, 1, 'M', 'M',
          0, 1,                                  // one entry
          0, 1, 0, 9, 0, 0, 0, 1, 0, 0, 0, 14,   // MakerNoteVersion, SLONG, 14
          0, 0, 0, 0};
}

TEST_F(ExifEdits, RemoveLocationLeavesNoPositionAndEveryOtherTag) {
  ExifTestBlock block = test::CameraBlock(true);
  block.ifd0[0] = test::AsciiEntry(0x010F, "Apple");
  block.ifd0[1] = test::AsciiEntry(0x0110, "iPhone 15 Pro");
  for (auto& e : block.exif)
    if (e.tag == 0x927C) e.bytes = AppleMakerNote();
  block.gps.push_back(test::RationalEntry(0x0006, {42, 1}));       // altitude
  block.gps.push_back(test::AsciiEntry(0x001D, "2026:12:08"));    // date stamp
  Load(block);
  const int before = exif_.MainEntries().Count();
  exif_.RemoveLocation();

  EXPECT_EQ(exif_.MainEntries().CountInDirectory(2), 0);
  EXPECT_EQ(Find(kTagGpsIfdPointer, 0), nullptr);
  EXPECT_EQ(exif_.MainEntries().Count(), before - 8);  // seven GPS entries and the pointer
  EXPECT_NE(Find(0x927C, 1), nullptr);
  if (!test::HaveExiftool()) GTEST_SKIP() << "exiftool is not installed";
  EXPECT_EQ(Exiftool("-a -gps:all -Location:all"), "");
  EXPECT_EQ(Exiftool("-n -Make -Model -MakerNoteVersion -ExposureTime -InteropIndex"),
            "Apple\niPhone 15 Pro\n14\n0.004\nR98\n");
}

}  // namespace
}  // namespace plendo::exif
