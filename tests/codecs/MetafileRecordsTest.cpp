// Records the files of others do not hold, written here: flood fills, huge
// text, Symbol-encoded text.
#include <gtest/gtest.h>

#include <optional>

#include "MetafileBuilder.h"
#include "MetafileFiles.h"
#include "support/TestNames.h"

namespace plendo::codecs {
namespace {

using test::EmfBuilder;
using test::WmfBuilder;

enum class Pour { None, Border, Surface };

constexpr std::uint32_t kRed = 0x0000FF, kBlue = 0xFF0000;  // COLORREF
constexpr std::uint32_t kNullBrush = 0x80000005;

std::uint16_t Low(std::uint32_t v) { return static_cast<std::uint16_t>(v); }
std::uint16_t High(std::uint32_t v) { return static_cast<std::uint16_t>(v >> 16); }

// An ellipse drawn with the black pen and a brush of `inside` (none when
// empty); then, unless `pour` is None, a red flood fill from its centre, up
// to black or over blue.
test::Bytes Ellipse(bool wmf, std::optional<std::uint32_t> inside, Pour pour) {
  const std::uint32_t key = pour == Pour::Border ? 0 : kBlue;
  if (!wmf) {
    EmfBuilder e(100, 100);
    if (inside) e.Add(39, {2, 0, *inside, 0}).Add(37, {2});  // CREATEBRUSHINDIRECT, SELECTOBJECT
    else e.Add(37, {kNullBrush});
    e.Add(42, {10, 10, 90, 90});  // ELLIPSE
    if (pour != Pour::None) e.Add(39, {3, 0, kRed, 0}).Add(37, {3}).Add(53, {50, 50, key, pour == Pour::Surface});
    return e.Finish();
  }
  WmfBuilder w(100, 100);
  // CREATEBRUSHINDIRECT (style 1: none) into slot 0, SELECTOBJECT, ELLIPSE.
  w.Add(0x02FC, {std::uint16_t(inside ? 0 : 1), Low(inside.value_or(0)), High(inside.value_or(0)), 0});
  w.Add(0x012D, {0}).Add(0x0418, {90, 90, 10, 10});
  if (pour != Pour::None) {
    w.Add(0x02FC, {0, Low(kRed), High(kRed), 0}).Add(0x012D, {1});
    if (pour == Pour::Border) w.Add(0x0419, {Low(key), High(key), 50, 50});  // FLOODFILL
    else w.Add(0x0548, {1, Low(key), High(key), 50, 50});                    // EXTFLOODFILL, surface
  }
  return w.Finish();
}

struct FloodCase {
  bool wmf;
  Pour pour;
  friend void PrintTo(const FloodCase& c, std::ostream* os) {
    *os << (c.wmf ? "wmf " : "emf ") << (c.pour == Pour::Border ? "border" : "surface");
  }
};

class MetafileFlood : public ::testing::TestWithParam<FloodCase> {};

// Poured into an empty ring or over a blue one, the red comes out as the
// ellipse drawn with a red brush: no white or blue left along the pen.
TEST_P(MetafileFlood, FillsTheShapeAsItsBrushWould) {
  const FloodCase& c = GetParam();
  const platform::Bitmap poured = test::DrawOnWhite(
      Ellipse(c.wmf, c.pour == Pour::Border ? std::nullopt : std::optional(kBlue), c.pour), 100, 100);
  const platform::Bitmap filled = test::DrawOnWhite(Ellipse(c.wmf, kRed, Pour::None), 100, 100);
  EXPECT_LT(test::MeanDifference(poured, filled), 1.0);
  const platform::Rgba corner = poured.PixelAt(2, 2);
  EXPECT_EQ(corner.g, 255);
}

INSTANTIATE_TEST_SUITE_P(Modes, MetafileFlood,
                         ::testing::Values(FloodCase{false, Pour::Border}, FloodCase{false, Pour::Surface},
                                           FloodCase{true, Pour::Border}, FloodCase{true, Pour::Surface}),
                         test::PrintedName());

// Larger than a tile: the fill spreads over the whole picture all the same.
TEST(MetafileFlood, SpreadsOverALargePicture) {
  const platform::Bitmap drawn = test::DrawOnWhite(Ellipse(false, std::nullopt, Pour::Border), 2600, 2600);
  const platform::Rgba far = drawn.PixelAt(2300, 1300);
  EXPECT_EQ(far.r, 255);
  EXPECT_EQ(far.g, 0);
}

// Every fill here covers most of the picture again: unbounded, these take
// more than a minute; the fills past the bound on the work are left out.
TEST(MetafileFlood, ThousandsOfFillsEnd) {
  EmfBuilder e(1000, 1000);
  e.Add(37, {kNullBrush}).Add(42, {10, 10, 990, 990}).Add(39, {3, 0, kRed, 0}).Add(37, {3});
  for (int i = 0; i < 5000; ++i) e.Add(53, {500, 500, 0, 0});
  const platform::Bitmap drawn = test::DrawOnWhite(e.Finish(), 1000, 1000);
  const platform::Rgba centre = drawn.PixelAt(500, 500);
  EXPECT_EQ(centre.r, 255);
  EXPECT_EQ(centre.g, 0);
}

platform::Bitmap Text(const std::u16string& face, const std::u16string& text, bool ansi = false) {
  EmfBuilder e(120, 60);
  e.Add(18, {1}).Font(face, 40).Text(10, 10, text, ansi);  // SETBKMODE transparent
  return test::DrawOnWhite(e.Finish(), 120, 60);
}

// FreeType refuses sizes from 65536 pixels up, and cairo then draws nothing
// more: the huge letter is drawn smaller and the red box after it shows.
TEST(MetafileText, AHugeFontLeavesTheRestOfThePictureDrawn) {
  EmfBuilder e(100, 50);
  e.Add(18, {1}).Font(u"DejaVu Serif", 100000).Text(0, 0, u"A");
  e.Add(39, {3, 0, kRed, 0}).Add(37, {3}).Add(43, {50, 10, 90, 40});
  const platform::Rgba inside = test::DrawOnWhite(e.Finish(), 100, 50).PixelAt(70, 25);
  EXPECT_GT(inside.r, 200);
  EXPECT_LT(inside.g, 50);
}

// The Symbol font's 0x61 is alpha and 0xD6 the square root, as bytes and
// as the private-use characters wide text carries them as.
TEST(MetafileSymbolFont, BytesAndPrivateCharactersAreItsSymbols) {
  const platform::Bitmap greek = Text(u"Symbol", u"\u03B1\u221A");
  EXPECT_LT(test::MeanDifference(Text(u"Symbol", u"a\u00D6", true), greek), 0.01);
  EXPECT_LT(test::MeanDifference(Text(u"Symbol", u"\uF061\uF0D6"), greek), 0.01);
}

}  // namespace
}  // namespace plendo::codecs
