#include <gtest/gtest.h>

#include "preview/ImageControl.h"
#include "preview/JpegSamples.h"
#include "support/TempDir.h"

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

// --- files in the platform formats, written byte by byte -------------------

void Put16(std::vector<std::uint8_t>& out, unsigned v) {
  out.push_back(static_cast<std::uint8_t>(v));
  out.push_back(static_cast<std::uint8_t>(v >> 8));
}
void Put32(std::vector<std::uint8_t>& out, std::uint32_t v) {
  Put16(out, v & 0xFFFF);
  Put16(out, v >> 16);
}

// BITMAPINFOHEADER for an uncompressed image.
void PutInfoHeader(std::vector<std::uint8_t>& out, int width, int height, int bits) {
  Put32(out, 40);
  Put32(out, static_cast<std::uint32_t>(width));
  Put32(out, static_cast<std::uint32_t>(height));
  Put16(out, 1);
  Put16(out, static_cast<unsigned>(bits));
  for (int i = 0; i < 6; ++i) Put32(out, 0);
}

// 24 bits, bottom-up; `colour(x, y)` with y counted from the top.
template <class ColourAt>
std::vector<std::uint8_t> Bmp24(int width, int height, ColourAt colour) {
  const int stride = (width * 3 + 3) / 4 * 4;
  std::vector<std::uint8_t> out = {'B', 'M'};
  Put32(out, static_cast<std::uint32_t>(54 + stride * height));
  Put32(out, 0);
  Put32(out, 54);
  PutInfoHeader(out, width, height, 24);
  for (int y = height - 1; y >= 0; --y) {
    for (int x = 0; x < width; ++x) {
      const Rgba c = colour(x, y);
      out.insert(out.end(), {c.b, c.g, c.r});
    }
    out.resize(out.size() + static_cast<std::size_t>(stride - width * 3));
  }
  return out;
}

// One 32-bit entry: the left half opaque `colour`, the right half transparent
// (alpha 0 and the AND mask bit set).
std::vector<std::uint8_t> HalfTransparentIcon(int size, Rgba colour) {
  std::vector<std::uint8_t> dib;
  PutInfoHeader(dib, size, size * 2, 32);
  for (int y = 0; y < size; ++y)
    for (int x = 0; x < size; ++x) {
      const bool opaque = x < size / 2;
      dib.insert(dib.end(), {colour.b, colour.g, colour.r, std::uint8_t(opaque ? 255 : 0)});
    }
  const int mask_stride = (size + 31) / 32 * 4;
  for (int y = 0; y < size; ++y) {
    std::vector<std::uint8_t> row(static_cast<std::size_t>(mask_stride), 0);
    for (int x = size / 2; x < size; ++x) row[x / 8] |= static_cast<std::uint8_t>(0x80 >> (x % 8));
    dib.insert(dib.end(), row.begin(), row.end());
  }
  std::vector<std::uint8_t> out;
  Put16(out, 0);
  Put16(out, 1);  // icon
  Put16(out, 1);  // one entry
  out.insert(out.end(), {std::uint8_t(size), std::uint8_t(size), 0, 0});
  Put16(out, 1);
  Put16(out, 32);
  Put32(out, static_cast<std::uint32_t>(dib.size()));
  Put32(out, 22);
  out.insert(out.end(), dib.begin(), dib.end());
  return out;
}

class PaintImageTest : public testing::Test {
 protected:
  Canvas Paint(const std::string& name, const std::vector<std::uint8_t>& bytes) {
    test::WriteBytes(dir_ / name, bytes);
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

TEST_F(PaintImageTest, BitmapFillsItsPlaceOverTheBackground) {
  // 40 x 30 like a 4000 x 3000 photo: 173 x 129 at (0, 17).
  const Canvas canvas = Paint("photo.BMP", Bmp24(40, 30, [](int, int y) { return y < 15 ? kBlue : kGreen; }));
  EXPECT_EQ(canvas.PixelAt(86, 16), kMonitorBackground);
  EXPECT_EQ(canvas.PixelAt(86, 17), kBlue);
  EXPECT_EQ(canvas.PixelAt(0, 60), kBlue);
  EXPECT_EQ(canvas.PixelAt(172, 100), kGreen);
  EXPECT_EQ(canvas.PixelAt(86, 145), kGreen);
  EXPECT_EQ(canvas.PixelAt(86, 146), kMonitorBackground);
}

TEST_F(PaintImageTest, IconShowsTheBackgroundThroughItsTransparentPixels) {
  // 16 x 16: 164 x 164 at (4, 0); the right half is transparent.
  const Canvas canvas = Paint("app.ico", HalfTransparentIcon(16, kRed));
  EXPECT_EQ(canvas.PixelAt(3, 80), kMonitorBackground);
  EXPECT_EQ(canvas.PixelAt(4, 80), kRed);
  EXPECT_EQ(canvas.PixelAt(85, 0), kRed);
  EXPECT_EQ(canvas.PixelAt(86, 163), kMonitorBackground);
  EXPECT_EQ(canvas.PixelAt(167, 80), kMonitorBackground);
}

TEST_F(PaintImageTest, EmptyPictureShowsOnlyTheBackground) {
  Canvas canvas(kClientWidth, kClientHeight);
  PaintImage(picture_, canvas);
  for (const auto& [x, y] : {std::pair{0, 0}, {86, 82}, {172, 163}})
    EXPECT_EQ(canvas.PixelAt(x, y), kMonitorBackground);
}

}  // namespace
}  // namespace plendo::preview
