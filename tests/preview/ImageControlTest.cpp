#include <gtest/gtest.h>

#include "preview/ImageControl.h"
#include "support/TempDir.h"
#include "support/TestImages.h"

namespace plendo::preview {
namespace {

using platform::Canvas;
using platform::Rect;
using platform::Rgba;

constexpr int kClientWidth = 173, kClientHeight = 164;

struct Placement {
  int w, h;
  Rect expected;
  friend void PrintTo(const Placement& p, std::ostream* os) { *os << p.w << "x" << p.h; }
};

class PlaceImageTest : public testing::TestWithParam<Placement> {};

TEST_P(PlaceImageTest, StretchesProportionallyAndCentres) {
  const auto& p = GetParam();
  EXPECT_EQ(PlaceImage(p.w, p.h, kClientWidth, kClientHeight), p.expected);
}

// {left, top, right, bottom}
INSTANTIATE_TEST_SUITE_P(
    Sizes, PlaceImageTest,
    testing::Values(Placement{4000, 3000, {0, 17, 173, 146}},    // 173 x 129 at (0, 17)
                    Placement{16, 16, {4, 0, 168, 164}},         // 164 x 164 at (4, 0)
                    Placement{3000, 4000, {25, 0, 148, 164}},    // 123 x 164 at (25, 0)
                    Placement{1, 1, {4, 0, 168, 164}},           // enlarged too
                    Placement{173, 100, {0, 32, 173, 132}},
                    Placement{10000, 10, {0, 82, 173, 82}},      // too thin to show
                    Placement{0, 0, {0, 0, 173, 164}}),          // no size: whole area
    [](const testing::TestParamInfo<Placement>& info) {
      return std::to_string(info.param.w) + "x" + std::to_string(info.param.h);
    });

class PaintImageTest : public testing::Test {
 protected:
  Canvas Paint(const std::string& name, const std::vector<std::uint8_t>& bytes) {
    test::WriteFile(dir_ / name, bytes);
    picture_.LoadFromFile(dir_ / name);
    Canvas canvas(kClientWidth, kClientHeight);
    PaintImage(picture_, canvas);
    return canvas;
  }

  test::TempDir dir_;
  TPicture picture_;
};

constexpr Rgba kBlue{0, 0, 255, 255};
constexpr Rgba kGreen{0, 160, 0, 255};
constexpr Rgba kRed{220, 0, 0, 255};

// 40 x 30, like a 4000 x 3000 photo: 173 x 129 at (0, 17); blue above green.
test::Bitmap BlueOverGreen() {
  test::Bitmap picture = test::MakeFlat(40, 30, kBlue);
  for (int y = 15; y < 30; ++y)
    for (int x = 0; x < 40; ++x) {
      std::uint8_t* p = picture.Row(y) + x * 3;
      p[0] = kGreen.b, p[1] = kGreen.g, p[2] = kGreen.r;
    }
  return picture;
}

struct BmpCase {
  const char* name;
  test::BmpOptions options;
};

class PaintBmp : public PaintImageTest, public testing::WithParamInterface<BmpCase> {};

TEST_P(PaintBmp, FillsItsPlaceOverTheBackground) {
  const Canvas canvas = Paint("photo.BMP", test::WriteBmp(BlueOverGreen(), GetParam().options));
  EXPECT_EQ(canvas.PixelAt(86, 16), kMonitorBackground);
  EXPECT_EQ(canvas.PixelAt(86, 17), kBlue);
  EXPECT_EQ(canvas.PixelAt(0, 60), kBlue);
  EXPECT_EQ(canvas.PixelAt(172, 100), kGreen);
  EXPECT_EQ(canvas.PixelAt(86, 145), kGreen);
  EXPECT_EQ(canvas.PixelAt(86, 146), kMonitorBackground);
}

INSTANTIATE_TEST_SUITE_P(Layouts, PaintBmp,
                         testing::Values(BmpCase{"Bits24", {}}, BmpCase{"Bits8", {.bits = 8}},
                                         BmpCase{"Rle4", {.bits = 4, .rle = true}},
                                         BmpCase{"Bits1TopDown", {.bits = 1, .top_down = true}},
                                         BmpCase{"Os2", {.os2 = true}}),
                         [](const testing::TestParamInfo<BmpCase>& info) { return info.param.name; });

class PaintIco : public PaintImageTest, public testing::WithParamInterface<int> {};

// 16 x 16: 164 x 164 at (4, 0); the right half of the icon is transparent,
// by alpha (32 bits) or by the AND mask (fewer bits).
TEST_P(PaintIco, ShowsTheBackgroundThroughTransparentPixels) {
  test::Bitmap icon = test::MakeFlat(16, 16, kRed, platform::PixelFormat::Bgra32);
  for (int y = 0; y < 16; ++y)
    for (int x = 8; x < 16; ++x) icon.Row(y)[x * 4 + 3] = 0;
  const Canvas canvas = Paint("app.ico", test::WriteIco({{&icon, GetParam()}}));
  EXPECT_EQ(canvas.PixelAt(3, 80), kMonitorBackground);
  EXPECT_EQ(canvas.PixelAt(4, 80), kRed);
  EXPECT_EQ(canvas.PixelAt(85, 0), kRed);
  EXPECT_EQ(canvas.PixelAt(86, 163), kMonitorBackground);
  EXPECT_EQ(canvas.PixelAt(167, 80), kMonitorBackground);
}

INSTANTIATE_TEST_SUITE_P(Depths, PaintIco, testing::Values(32, 24, 8, 4),
                         [](const testing::TestParamInfo<int>& info) {
                           return "Bits" + std::to_string(info.param);
                         });

TEST_F(PaintImageTest, EmptyPictureShowsOnlyTheBackground) {
  Canvas canvas(kClientWidth, kClientHeight);
  PaintImage(picture_, canvas);
  for (const auto& [x, y] : {std::pair{0, 0}, {86, 82}, {172, 163}})
    EXPECT_EQ(canvas.PixelAt(x, y), kMonitorBackground);
}

}  // namespace
}  // namespace plendo::preview
