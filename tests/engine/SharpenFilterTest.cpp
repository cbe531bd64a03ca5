// The 3x3 sharpening filter at the engine's three levels and its edges.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "engine/SharpenFilter.h"
#include "support/TestImages.h"
#include "support/TestNames.h"

namespace plendo::engine {
namespace {

using platform::Bitmap;
using platform::PixelFormat;
using platform::Rgba;

struct Level {
  int centre;
  std::uint8_t divisor;
  friend void PrintTo(const Level& l, std::ostream* os) { *os << l.centre << "/" << int(l.divisor); }
};

Kernel3x3 Sharpen(int centre) {
  Kernel3x3 k;
  k.fill(-1);
  k[4] = static_cast<std::int16_t>(centre);
  return k;
}

const Level kLevels[] = {{24, 16}, {16, 8}, {12, 4}};

class SharpenLevelTest : public ::testing::TestWithParam<Level> {};

TEST_P(SharpenLevelTest, FlatPictureIsUnchanged) {
  for (int size : {1, 2, 3, 17}) {
    const Bitmap flat = test::MakeFlat(size, size + 2, Rgba{200, 37, 255, 255});
    const Bitmap out = Convolve3x3(flat.Clone(), Sharpen(GetParam().centre), GetParam().divisor, 0);
    EXPECT_EQ(test::MaxChannelDifference(out, flat), 0) << size;
  }
}

TEST_P(SharpenLevelTest, OnePixelIsUnchanged) {
  const Bitmap one = test::MakeFlat(1, 1, Rgba{13, 140, 251, 255});
  EXPECT_EQ(Convolve3x3(one.Clone(), Sharpen(GetParam().centre), GetParam().divisor, 0).PixelAt(0, 0), one.PixelAt(0, 0));
}

TEST_P(SharpenLevelTest, MatchesUnsharpMaskInTheInterior) {
  // p + 9 (p - m) / d on a smooth ramp, where the mean equals the pixel: no change.
  const Bitmap ramp = test::MakeGradient(30, 20);
  const Bitmap out = Convolve3x3(ramp.Clone(), Sharpen(GetParam().centre), GetParam().divisor, 0);
  for (int y = 1; y < 19; ++y)
    for (int x = 1; x < 29; ++x) EXPECT_NEAR(out.PixelAt(x, y).g, ramp.PixelAt(x, y).g, 1);
}

INSTANTIATE_TEST_SUITE_P(Levels, SharpenLevelTest, ::testing::ValuesIn(kLevels), test::PrintedName());

TEST(SharpenFilterTest, WhitePixelOnBlack) {
  Bitmap picture = test::MakeFlat(5, 5, Rgba{0, 0, 0, 255});
  picture.Row(2)[3 * 2] = picture.Row(2)[3 * 2 + 1] = picture.Row(2)[3 * 2 + 2] = 255;
  const Bitmap out = Convolve3x3(std::move(picture), Sharpen(24), 16, 0);
  // 255 * 24 / 16 = 382, clamped; the neighbours get -255 / 16 = -15, clamped.
  EXPECT_EQ(out.PixelAt(2, 2), (Rgba{255, 255, 255, 255}));
  for (int y = 0; y < 5; ++y)
    for (int x = 0; x < 5; ++x)
      if (x != 2 || y != 2) EXPECT_EQ(out.PixelAt(x, y), (Rgba{0, 0, 0, 255})) << x << "," << y;
}

TEST(SharpenFilterTest, DivisionTruncatesTowardZeroAndBiasComesAfter) {
  // A kernel with only the centre weight gives the sum straight away.
  Kernel3x3 centre{};
  centre[4] = 1;
  Bitmap picture = test::MakeFlat(1, 1, Rgba{31, 0, 0, 255});
  EXPECT_EQ(Convolve3x3(picture.Clone(), centre, 16, 0).PixelAt(0, 0).r, 1);  // 31 / 16
  EXPECT_EQ(Convolve3x3(picture.Clone(), centre, 16, 5).PixelAt(0, 0).r, 6);  // bias after
  centre[4] = -1;
  EXPECT_EQ(Convolve3x3(picture.Clone(), centre, 16, 0).PixelAt(0, 0).r, 0);  // -31 / 16 = -1, clamped
  EXPECT_EQ(Convolve3x3(picture.Clone(), centre, 16, 3).PixelAt(0, 0).r, 2);  // -1 + 3: toward zero, not down
  EXPECT_EQ(Convolve3x3(picture.Clone(), centre, 3, 20).PixelAt(0, 0).r, 10);  // -31 / 3 = -10
}

TEST(SharpenFilterTest, BorderRowIsReplicated) {
  // Uniform 100 except a top row of 120: the top row sees 120 above itself.
  Bitmap picture = test::MakeFlat(6, 6, Rgba{100, 100, 100, 255});
  for (int x = 0; x < 6; ++x) picture.Row(0)[3 * x] = picture.Row(0)[3 * x + 1] = picture.Row(0)[3 * x + 2] = 120;
  const Bitmap out = Convolve3x3(std::move(picture), Sharpen(24), 16, 0);
  // Row 0: 24*120 - 5*120 - 3*100 = 1980 / 16 = 123; row 1: 24*100 - 3*120 - 5*100 = 1540 / 16 = 96.
  EXPECT_EQ(out.PixelAt(3, 0).g, 123);
  EXPECT_EQ(out.PixelAt(3, 1).g, 96);
  EXPECT_EQ(out.PixelAt(3, 3).g, 100);
}

TEST(SharpenFilterTest, ChannelsAreIndependentAndAnyFormatGives24Bits) {
  Bitmap picture = test::MakeFlat(4, 3, Rgba{10, 200, 90, 128}, PixelFormat::Bgra32);
  const Bitmap out = Convolve3x3(std::move(picture), Sharpen(16), 8, 0);
  EXPECT_EQ(out.Format(), PixelFormat::Bgr24);
  EXPECT_EQ(out.PixelAt(1, 1), (Rgba{10, 200, 90, 255}));
  EXPECT_EQ(ClampByte(-1), 0);
  EXPECT_EQ(ClampByte(256), 255);
  EXPECT_EQ(ClampByte(254), 254);
}

TEST(SharpenFilterTest, ZeroDivisorDoesNotDivide) {
  const Bitmap picture = test::MakeFlat(3, 3, Rgba{50, 60, 70, 255});
  Kernel3x3 centre{};
  centre[4] = 2;
  EXPECT_EQ(Convolve3x3(picture.Clone(), centre, 0, 0).PixelAt(1, 1), (Rgba{100, 120, 140, 255}));
}

Bitmap RandomPicture(int width, int height, std::mt19937& random) {
  Bitmap picture(width, height, PixelFormat::Bgr24);
  for (int y = 0; y < height; ++y)
    for (int i = 0; i < width * 3; ++i) picture.Row(y)[i] = static_cast<std::uint8_t>(random());
  return picture;
}

bool SameBytes(const Bitmap& a, const Bitmap& b) {
  for (int y = 0; y < a.Height(); ++y)
    if (!std::equal(a.Row(y), a.Row(y) + a.Width() * 3, b.Row(y))) return false;
  return true;
}

struct Filter {
  const char* name;
  Kernel3x3 kernel;
  std::uint8_t divisor, bias;
  friend void PrintTo(const Filter& f, std::ostream* os) { *os << f.name; }
};

class StreamingTest : public ::testing::TestWithParam<Filter> {};

TEST_P(StreamingTest, RowsSharpenedAsTheyArriveEqualTheWholePicture) {
  const Filter& f = GetParam();
  std::mt19937 random(11);
  for (int width = 1; width <= 40; ++width)
    for (int height = 1; height <= 5; ++height) {
      const Bitmap source = RandomPicture(width, height, random);
      const Bitmap whole = Convolve3x3(source.Clone(), f.kernel, f.divisor, f.bias);
      // Rows not yet arrived hold junk, as a target the draw has not reached.
      Bitmap streamed(width, height, PixelFormat::Bgr24);
      streamed.Fill(0xA5);
      RowSharpener sharpener(streamed, f.kernel, f.divisor, f.bias);
      for (int y = 0; y < height; ++y) {
        std::copy_n(source.Row(y), width * 3, streamed.Row(y));
        sharpener.RowReady(y);
      }
      sharpener.Finish();
      ASSERT_TRUE(SameBytes(streamed, whole)) << width << "x" << height;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Kernels, StreamingTest,
    ::testing::Values(Filter{"level1", Sharpen(24), 16, 0}, Filter{"level2", Sharpen(16), 8, 0},
                      Filter{"level3", Sharpen(12), 4, 0},
                      // Sums beyond 16 bits, uneven weights, a divisor that is no power of two.
                      Filter{"wide_odd", {3, -7, 2, -90, 200, -5, 1, -8, 40}, 3, 7},
                      Filter{"wide_undivided", {3, -7, 2, -90, 200, -5, 1, -8, 40}, 0, 1}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(SharpenFilterTest, OneTapKernelMovesThePictureByThatTap) {
  // Each weight reads its own neighbour, edges replicated, at every width.
  std::mt19937 random(5);
  for (int tap = 0; tap < 9; ++tap) {
    const int dx = tap % 3 - 1, dy = tap / 3 - 1;
    Kernel3x3 kernel{};
    kernel[tap] = 1;
    for (int width = 1; width <= 40; ++width) {
      const Bitmap source = RandomPicture(width, 3, random);
      const Bitmap out = Convolve3x3(source.Clone(), kernel, 1, 0);
      for (int y = 0; y < 3; ++y)
        for (int x = 0; x < width; ++x)
          ASSERT_EQ(out.PixelAt(x, y), source.PixelAt(std::clamp(x + dx, 0, width - 1), std::clamp(y + dy, 0, 2)))
              << "tap " << tap << " width " << width << " at " << x << "," << y;
    }
  }
}

}  // namespace
}  // namespace plendo::engine
