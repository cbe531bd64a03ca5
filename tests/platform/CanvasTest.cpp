#include <gtest/gtest.h>

#include "platform/Canvas.h"

namespace plendo::platform {
namespace {

constexpr Rgba kRed{255, 0, 0, 255};
constexpr Rgba kBlue{0, 0, 255, 255};
constexpr Rgba kGrey{100, 100, 100, 255};

// One row whose red channel is the column number: shows which column landed where.
Bitmap ColumnRamp(int width) {
  Bitmap ramp(width, 1, PixelFormat::Bgr24);
  for (int x = 0; x < width; ++x) ramp.Row(0)[x * 3 + 2] = static_cast<std::uint8_t>(x);
  return ramp;
}

TEST(Canvas, StretchDropsOrRepeatsColumnsWithoutBlending) {
  for (int source = 1; source <= 12; ++source) {
    for (int span = 1; span <= 40; ++span) {
      Canvas canvas(span, 1);
      canvas.StretchDraw({0, 0, span, 1}, ColumnRamp(source));
      for (int x = 0; x < span; ++x)
        ASSERT_EQ(canvas.PixelAt(x, 0).r, x * source / span) << source << " -> " << span;
      if (span >= source) {  // enlarging shows every column
        EXPECT_EQ(canvas.PixelAt(span - 1, 0).r, source - 1);
      }
    }
  }
}

TEST(Canvas, StretchClipsToTheSurface) {
  Bitmap two(2, 2, PixelFormat::Bgr24);
  two.Fill(0);  // black
  two.Row(1)[3 * 1 + 2] = 255;  // bottom right red
  Canvas canvas(4, 4);
  canvas.Fill(canvas.ClientRect(), kGrey);
  canvas.StretchDraw({-2, -2, 6, 6}, two);  // 8 x 8, each source pixel 4 x 4
  EXPECT_EQ(canvas.PixelAt(1, 1), (Rgba{0, 0, 0, 255}));
  EXPECT_EQ(canvas.PixelAt(2, 2), kRed);
  EXPECT_EQ(canvas.PixelAt(3, 3), kRed);

  canvas.StretchDraw({10, 10, 20, 20}, two);     // wholly outside
  canvas.StretchDraw({3, 3, 1, 1}, two);         // inverted: nothing
  canvas.StretchDraw({0, 0, 4, 4}, Bitmap());    // empty source: nothing
  EXPECT_EQ(canvas.PixelAt(3, 3), kRed);
}

TEST(Canvas, KeyColourAndMaskLeaveTheDestination) {
  Bitmap source(2, 1, PixelFormat::Indexed8);
  source.Palette() = {kRed, kBlue};
  source.Row(0)[0] = 0;
  source.Row(0)[1] = 1;

  Canvas keyed(4, 1);
  keyed.Fill(keyed.ClientRect(), kGrey);
  keyed.StretchDrawKeyed({0, 0, 4, 1}, source, Rgba{255, 0, 0, 0});  // alpha not compared
  EXPECT_EQ(keyed.PixelAt(0, 0), kGrey);
  EXPECT_EQ(keyed.PixelAt(1, 0), kGrey);
  EXPECT_EQ(keyed.PixelAt(2, 0), kBlue);

  Bitmap mask(2, 1, PixelFormat::Indexed1);
  mask.Row(0)[0] = 0x40;  // pixel 1 transparent
  Canvas masked(4, 1);
  masked.Fill(masked.ClientRect(), kGrey);
  masked.StretchDrawMasked({0, 0, 4, 1}, source, mask);
  EXPECT_EQ(masked.PixelAt(1, 0), kRed);
  EXPECT_EQ(masked.PixelAt(2, 0), kGrey);
  EXPECT_EQ(masked.PixelAt(3, 0), kGrey);
}

struct BlendCase {
  std::uint8_t alpha;
  std::uint8_t expected_red;  // red 200 over red 100
};

class CanvasBlend : public testing::TestWithParam<BlendCase> {};

TEST_P(CanvasBlend, MixesByAlpha) {
  Bitmap source(1, 1, PixelFormat::Bgra32);
  source.Row(0)[2] = 200;
  source.Row(0)[3] = GetParam().alpha;
  Canvas canvas(1, 1);
  canvas.Fill(canvas.ClientRect(), kGrey);
  canvas.StretchBlend({0, 0, 1, 1}, source);
  EXPECT_EQ(canvas.PixelAt(0, 0).r, GetParam().expected_red);
  EXPECT_EQ(canvas.PixelAt(0, 0).a, 255);
}

// (200a + 100(255 - a) + 255) >> 8
INSTANTIATE_TEST_SUITE_P(Alphas, CanvasBlend,
                         testing::Values(BlendCase{0, 100}, BlendCase{255, 200},
                                         BlendCase{128, 150}, BlendCase{1, 100},
                                         BlendCase{254, 199}),
                         [](const testing::TestParamInfo<BlendCase>& info) {
                           return "Alpha" + std::to_string(info.param.alpha);
                         });

TEST(Canvas, BlendTakesAlphaFromThePalette) {
  Bitmap source(2, 1, PixelFormat::Indexed8);
  source.Palette() = {{255, 255, 255, 0}, {0, 0, 0, 255}};
  source.Row(0)[1] = 1;
  Canvas canvas(2, 1);
  canvas.Fill(canvas.ClientRect(), kGrey);
  canvas.StretchBlend(canvas.ClientRect(), source);
  EXPECT_EQ(canvas.PixelAt(0, 0), kGrey);
  EXPECT_EQ(canvas.PixelAt(1, 0), (Rgba{0, 0, 0, 255}));
}

}  // namespace
}  // namespace plendo::platform
