// The draw: scaling invariants of the resampler, compositing over the
// target, and the gamma table.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "imaging/GammaTable.h"
#include "imaging/Graphics.h"
#include "imaging/ResampleWeights.h"
#include "support/TestImages.h"
#include "support/TestNames.h"

namespace plendo::imaging {
namespace {

using platform::Bitmap;
using platform::PixelFormat;
using platform::Rgba;
using namespace plendo::test;

Bitmap WhiteTarget(int w, int h) {
  Bitmap target(w, h, PixelFormat::Bgr24);
  target.Fill(0xFF);
  return target;
}

// Draws the whole image into (0, 0, dw, dh) of a white w x h target, with the
// engine's modes.
Bitmap Draw(const TGPBitmap& image, int w, int h, float dw, float dh, float gamma = 1.0f) {
  Bitmap target = WhiteTarget(w, h);
  TGPGraphics graphics(target);
  TGPImageAttributes attributes;
  attributes.SetGamma(gamma);
  attributes.SetWrapMode(WrapMode::TileFlipXY);
  graphics.SetSmoothingMode(SmoothingMode::AntiAlias);
  graphics.SetPixelOffsetMode(PixelOffsetMode::HighQuality);
  graphics.SetInterpolationMode(InterpolationMode::HighQualityBicubic);
  const RectF source{0, 0, static_cast<float>(image.GetWidth()), static_cast<float>(image.GetHeight())};
  EXPECT_EQ(graphics.DrawImage(image, RectF{0, 0, dw, dh}, source, Unit::Pixel, &attributes), Status::Ok);
  return target;
}

struct Scale {
  int sw, sh, dw, dh;
  friend void PrintTo(const Scale& s, std::ostream* os) { *os << s.sw << "x" << s.sh << "->" << s.dw << "x" << s.dh; }
};

class FlatStaysFlat : public ::testing::TestWithParam<Scale> {};

TEST_P(FlatStaysFlat, EveryPixelKeepsTheColour) {
  const Scale s = GetParam();
  const Rgba colour{173, 41, 222, 255};
  const TGPBitmap image(MakeFlat(s.sw, s.sh, colour));
  const Bitmap out = Draw(image, s.dw, s.dh, static_cast<float>(s.dw), static_cast<float>(s.dh));
  EXPECT_EQ(MaxChannelDifference(out, MakeFlat(s.dw, s.dh, colour)), 0);
}

INSTANTIATE_TEST_SUITE_P(Scales, FlatStaysFlat,
                         ::testing::Values(Scale{1, 1, 7, 5}, Scale{7, 5, 1, 1}, Scale{64, 48, 64, 48},
                                           Scale{640, 480, 37, 29}, Scale{3, 2, 300, 200}, Scale{100, 3, 7, 90},
                                           Scale{1000, 10, 3, 1}),
                         test::PrintedName());

TEST(DrawTest, OwnSizeReproducesTheSource) {
  const Bitmap picture = MakeGradient(53, 31);
  const TGPBitmap image(picture.Clone());
  EXPECT_EQ(MaxChannelDifference(Draw(image, 53, 31, 53, 31), picture), 0);
}

TEST(DrawTest, OnePixelCheckerboardHalvedIsGrey) {
  const TGPBitmap image(MakeCheckerboard(64, 64, 1, Rgba{0, 0, 0, 255}, Rgba{255, 255, 255, 255}));
  const Bitmap out = Draw(image, 32, 32, 32, 32);
  // The mirrored edge repeats the border pixel, which tips the outermost two
  // pixels slightly; inside, black and white weigh exactly alike.
  for (int y = 2; y < 30; ++y)
    for (int x = 2; x < 30; ++x) {
      const Rgba c = out.PixelAt(x, y);
      EXPECT_NEAR(c.g, 127.5, 0.5) << x << "," << y;
    }
}

TEST(DrawTest, UnroundedTargetCoversTheLastRow) {
  // 3000 x 4000 drawn at width 640: 853.33 rows into a bitmap of 853.
  const TGPBitmap image(MakeFlat(300, 400, Rgba{10, 20, 30, 255}));
  const Bitmap out = Draw(image, 64, 85, 64.0f, 85.333333f);
  for (int x = 0; x < 64; ++x) EXPECT_EQ(out.PixelAt(x, 84), (Rgba{10, 20, 30, 255}));
}

TEST(DrawTest, PartlyCoveredEdgeMixesWithTheTarget) {
  const TGPBitmap image(MakeFlat(10, 10, Rgba{0, 0, 0, 255}));
  const Bitmap out = Draw(image, 10, 10, 10.0f, 9.5f);
  EXPECT_EQ(out.PixelAt(3, 8).r, 0);
  EXPECT_NEAR(out.PixelAt(3, 9).r, 128, 1);
}

TEST(DrawTest, AlphaChannelPathsAgree) {
  // The same picture as Bgr24, as opaque Bgra32 and as Bgra32 with one clear
  // pixel far from where we look: the three ways through the resampler.
  const Bitmap rgb = MakeGradient(90, 70);
  Bitmap opaque(90, 70, PixelFormat::Bgra32);
  for (int y = 0; y < 70; ++y)
    for (int x = 0; x < 90; ++x) {
      const Rgba c = rgb.PixelAt(x, y);
      std::uint8_t* p = opaque.Row(y) + 4 * x;
      p[0] = c.b, p[1] = c.g, p[2] = c.r, p[3] = 255;
    }
  Bitmap one_clear = opaque.Clone();
  one_clear.Row(69)[4 * 89 + 3] = 0;
  const Bitmap a = Draw(TGPBitmap(rgb.Clone()), 31, 23, 31.0f, 23.4f);
  const Bitmap b = Draw(TGPBitmap(std::move(opaque)), 31, 23, 31.0f, 23.4f);
  const Bitmap c = Draw(TGPBitmap(std::move(one_clear)), 31, 23, 31.0f, 23.4f);
  EXPECT_EQ(MaxChannelDifference(a, b), 0);
  Bitmap a_top(31, 15, PixelFormat::Bgr24), c_top(31, 15, PixelFormat::Bgr24);
  for (int y = 0; y < 15; ++y) {
    std::copy_n(a.Row(y), 93, a_top.Row(y));
    std::copy_n(c.Row(y), 93, c_top.Row(y));
  }
  EXPECT_LE(MaxChannelDifference(a_top, c_top), 1);
}

TEST(DrawTest, HalfTransparentFlatPictureBlendsEvenly) {
  const TGPBitmap image(MakeFlat(40, 30, Rgba{0, 100, 200, 128}, PixelFormat::Bgra32));
  const Bitmap out = Draw(image, 13, 9, 13, 9);
  const Rgba expected{127, 177, 227, 255};  // c * 128/255 + 255 * 127/255
  for (int y = 0; y < 9; ++y)
    for (int x = 0; x < 13; ++x) {
      const Rgba got = out.PixelAt(x, y);
      EXPECT_NEAR(got.r, expected.r, 1);
      EXPECT_NEAR(got.g, expected.g, 1);
      EXPECT_NEAR(got.b, expected.b, 1);
    }
}

TEST(DrawTest, TransparentPartsComeOutWhite) {
  Bitmap picture = MakeFlat(20, 20, Rgba{200, 0, 0, 255}, PixelFormat::Bgra32);
  for (int y = 0; y < 20; ++y)
    for (int x = 10; x < 20; ++x) picture.Row(y)[4 * x + 3] = 0;
  const TGPBitmap image(std::move(picture));
  const Bitmap out = Draw(image, 40, 40, 40, 40);
  EXPECT_EQ(out.PixelAt(2, 20), (Rgba{200, 0, 0, 255}));
  EXPECT_EQ(out.PixelAt(38, 20), (Rgba{255, 255, 255, 255}));
}

TEST(ResampleWeightsTest, EveryRowSumsToOneAndStaysInside) {
  for (int n = 1; n < 64; ++n)
    for (double dest : {0.4, 1.0, 2.5, 7.0, 13.33, 63.0, 100.0, 853.33}) {
      const AxisWeights w = MakeAxisWeights(n, 0.0, dest, static_cast<int>(std::ceil(dest)));
      ASSERT_EQ(w.Count(), static_cast<int>(std::ceil(dest))) << n << " " << dest;
      ASSERT_LE(w.taps, n);
      for (int i = 0; i < w.Count(); ++i) {
        ASSERT_GE(w.first[i], 0);
        ASSERT_LE(w.first[i] + w.taps, n);
        double sum = 0;
        for (int k = 0; k < w.taps; ++k) sum += w.weights[static_cast<std::size_t>(i) * w.taps + k];
        ASSERT_NEAR(sum, 1.0, 1e-5) << n << " " << dest << " " << i;
      }
    }
}

TEST(ResampleWeightsTest, EdgesMirror) {
  EXPECT_EQ(MirrorIndex(-1, 5), 0);
  EXPECT_EQ(MirrorIndex(-2, 5), 1);
  EXPECT_EQ(MirrorIndex(5, 5), 4);
  EXPECT_EQ(MirrorIndex(6, 5), 3);
  EXPECT_EQ(MirrorIndex(-7, 1), 0);
  EXPECT_DOUBLE_EQ(BicubicKernel(0), 1.0);
  EXPECT_DOUBLE_EQ(BicubicKernel(1), 0.0);
  EXPECT_DOUBLE_EQ(BicubicKernel(2), 0.0);
}

TEST(DrawTest, ShrinkingAveragesEveryPixel) {
  // A single bright column in 60 must still show after a 6x reduction: a
  // kernel that did not widen would skip it or catch it whole.
  Bitmap picture = MakeFlat(60, 6, Rgba{0, 0, 0, 255});
  for (int y = 0; y < 6; ++y) picture.Row(y)[3 * 31 + 1] = 255;
  const TGPBitmap image(std::move(picture));
  const Bitmap out = Draw(image, 10, 1, 10, 1);
  int brightest = 0;
  for (int x = 0; x < 10; ++x) brightest = std::max<int>(brightest, out.PixelAt(x, 0).g);
  EXPECT_GT(brightest, 20);
  EXPECT_LT(brightest, 80);
}

TEST(GammaTest, OneIsTheIdentityAndHigherDarkens) {
  const GammaTable identity = MakeGammaTable(1.0f);
  for (int v = 0; v < 256; ++v) EXPECT_EQ(identity[v], v);
  const GammaTable darker = MakeGammaTable(1.12f);
  EXPECT_EQ(darker[128], std::lround(255.0 * std::pow(128.0 / 255.0, static_cast<double>(1.12f))));
  EXPECT_LT(darker[128], 128);
  EXPECT_EQ(darker[0], 0);
  EXPECT_EQ(darker[255], 255);
}

TEST(GammaTest, DrawAppliesTheTable) {
  const TGPBitmap image(MakeFlat(8, 8, Rgba{128, 128, 128, 255}));
  const Bitmap out = Draw(image, 8, 8, 8, 8, 1.12f);
  EXPECT_EQ(out.PixelAt(4, 4).r, MakeGammaTable(1.12f)[128]);
}

TEST(DrawTest, EveryRowIsReportedOnceInOrderWhenFinal) {
  // The destination covers rows 2..7 of 10, partly: the rest are reported too.
  const TGPBitmap image(MakeGradient(40, 30));
  Bitmap target = WhiteTarget(12, 10);
  TGPGraphics graphics(target);
  std::vector<int> order;
  std::vector<std::vector<std::uint8_t>> seen(10);
  graphics.SetRowCallback([&](int y) {
    order.push_back(y);
    seen[y].assign(target.Row(y), target.Row(y) + 36);
  });
  ASSERT_EQ(graphics.DrawImage(image, RectF{1.5f, 2.5f, 9.0f, 5.0f}, RectF{0, 0, 40, 30}, Unit::Pixel, nullptr),
            Status::Ok);
  ASSERT_EQ(order, (std::vector<int>{0, 1, 2, 3, 4, 5, 6, 7, 8, 9}));
  for (int y = 0; y < 10; ++y)
    EXPECT_TRUE(std::equal(seen[y].begin(), seen[y].end(), target.Row(y))) << y;
}

}  // namespace
}  // namespace plendo::imaging
