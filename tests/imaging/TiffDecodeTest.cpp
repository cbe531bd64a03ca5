// What a TIFF says about its pixels beyond their values: where its rows
// belong (Orientation) and which colours they mean (CIELab).
#include <gtest/gtest.h>

#include <string>

#include "imaging/ImageDecoder.h"
#include "support/TestImages.h"

namespace plendo::imaging {
namespace {

using platform::Bitmap;
using platform::PixelFormat;
using platform::Rgba;
using namespace plendo::test;

Rgba ColourOf(char letter) {
  const int i = letter - 'A';
  return {static_cast<std::uint8_t>(40 * i), static_cast<std::uint8_t>(250 - 40 * i), 100, 255};
}

// Rows of letters, one distinct colour per letter, rows joined by '/'.
Bitmap FromLetters(const std::string& rows) {
  const int width = static_cast<int>(rows.find('/'));
  const int height = static_cast<int>(rows.size() + 1) / (width + 1);
  Bitmap b(width, height, PixelFormat::Bgr24);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      const Rgba c = ColourOf(rows[static_cast<std::size_t>(y * (width + 1) + x)]);
      std::uint8_t* p = b.Row(y) + 3 * x;
      p[0] = c.b, p[1] = c.g, p[2] = c.r;
    }
  return b;
}

std::string ToLetters(const Bitmap& b) {
  std::string rows;
  for (int y = 0; y < b.Height(); ++y) {
    if (y > 0) rows += '/';
    for (int x = 0; x < b.Width(); ++x) {
      char letter = '?';
      for (char c = 'A'; c <= 'F'; ++c)
        if (b.PixelAt(x, y) == ColourOf(c)) letter = c;
      rows += letter;
    }
  }
  return rows;
}

struct OrientationCase {
  int orientation;
  const char* upright;  // the stored ABC/DEF as it is meant to be seen
  bool tiled;           // deflated tiles instead of plain strips
  friend void PrintTo(const OrientationCase& c, std::ostream* os) { *os << c.orientation << " " << c.upright; }
};

class TiffOrientation : public ::testing::TestWithParam<OrientationCase> {};

TEST_P(TiffOrientation, ThePictureComesOutUpright) {
  const Bytes tiff = WriteTiff(FromLetters("ABC/DEF"), {.compressed = GetParam().tiled, .tiled = GetParam().tiled, .orientation = GetParam().orientation});
  EXPECT_EQ(ToLetters(DecodeImage(tiff)), GetParam().upright);
}

INSTANTIATE_TEST_SUITE_P(Tags, TiffOrientation,
                         ::testing::Values(OrientationCase{1, "ABC/DEF", false}, OrientationCase{2, "CBA/FED", false},
                                           OrientationCase{3, "FED/CBA", false}, OrientationCase{4, "DEF/ABC", false},
                                           OrientationCase{5, "AD/BE/CF", false}, OrientationCase{6, "DA/EB/FC", false},
                                           OrientationCase{7, "FC/EB/DA", false}, OrientationCase{8, "CF/BE/AD", false},
                                           OrientationCase{1, "ABC/DEF", true}, OrientationCase{6, "DA/EB/FC", true}, OrientationCase{7, "FC/EB/DA", true}),
                         [](const auto& info) {
                           return "o" + std::to_string(info.param.orientation) + (info.param.tiled ? "_tiled" : "");
                         });

// One Lab colour as a TIFF of the given encoding: L* as 0..255, a* and b*
// as signed bytes (CIELab) or offset by 128 (ICCLab).
Rgba DecodedLab(TiffKind kind, int l, int a, int b) {
  const int offset = kind == TiffKind::IccLab ? 128 : 0;
  const Rgba samples{static_cast<std::uint8_t>(l), static_cast<std::uint8_t>(a + offset),
                     static_cast<std::uint8_t>(b + offset), 255};
  return DecodeImage(WriteTiff(MakeFlat(2, 2, samples), {.kind = kind})).PixelAt(1, 1);
}

struct LabCase {
  const char* name;
  int l;
  Rgba srgb;
};

TEST(TiffLab, NeutralsComeOutNeutralInBothEncodings) {
  // L* 50 is sRGB 119 (118.4 to 119.5 for the bytes around it).
  const LabCase cases[] = {{"white", 255, {255, 255, 255, 255}}, {"black", 0, {0, 0, 0, 255}},
                           {"mid grey", 128, {119, 119, 119, 255}}};
  for (const TiffKind kind : {TiffKind::Lab, TiffKind::IccLab})
    for (const LabCase& c : cases) {
      SCOPED_TRACE(std::string(c.name) + (kind == TiffKind::Lab ? " CIELab" : " ICCLab"));
      const Rgba out = DecodedLab(kind, c.l, 0, 0);
      EXPECT_LE(MaxChannelDifference(MakeFlat(1, 1, out), MakeFlat(1, 1, c.srgb)), 1)
          << "got " << +out.r << ", " << +out.g << ", " << +out.b;
    }
}

TEST(TiffLab, NegativeAndPositiveAxesKeepTheirSign) {
  for (const TiffKind kind : {TiffKind::Lab, TiffKind::IccLab}) {
    SCOPED_TRACE(kind == TiffKind::Lab ? "CIELab" : "ICCLab");
    const Rgba red = DecodedLab(kind, 128, 60, 0), green = DecodedLab(kind, 128, -60, 0);
    const Rgba yellow = DecodedLab(kind, 200, 0, 70), blue = DecodedLab(kind, 128, 0, -70);
    EXPECT_GT(red.r, red.g + 80);
    EXPECT_GT(green.g, green.r + 80);
    EXPECT_GT(yellow.g, yellow.b + 80);
    EXPECT_GT(blue.b, blue.g + 80);
  }
}

}  // namespace
}  // namespace plendo::imaging
