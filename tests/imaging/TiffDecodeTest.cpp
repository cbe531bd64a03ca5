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

}  // namespace
}  // namespace plendo::imaging
