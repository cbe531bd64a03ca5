// PNG images on the preview canvas: stretched nearest-neighbour, colour keys
// and alpha over the monitor background; and loading through the picture.
#include <gtest/gtest.h>

#include "preview/ImageControl.h"
#include "preview/Picture.h"
#include "preview/PngErrors.h"
#include "preview/PngImage.h"
#include "preview/JpegSamples.h"
#include "preview/PngBuilder.h"
#include "support/TempDir.h"

namespace plendo::preview {
namespace {

using platform::Rgba;
using test::Bytes;
using test::PngChunkBytes;

constexpr Rgba kBackground = kMonitorBackground;
constexpr Rgba kRed{255, 0, 0, 255}, kBlue{0, 0, 255, 255};

std::uint8_t Over(int source, int destination, int alpha) {
  return static_cast<std::uint8_t>((source * alpha + (255 - alpha) * destination + 255) / 256);
}
Rgba Over(Rgba s, Rgba d, int alpha) {
  return {Over(s.r, d.r, alpha), Over(s.g, d.g, alpha), Over(s.b, d.b, alpha), 255};
}

// 2 x 1, palette red then blue, pixel 0 red and pixel 1 blue.
Bytes RedBluePalette(const Bytes& trns) {
  std::vector<Bytes> extra{PngChunkBytes("PLTE", {255, 0, 0, 0, 0, 255})};
  if (!trns.empty()) extra.push_back(PngChunkBytes("tRNS", trns));
  return test::SimplePng(2, 1, 8, 3, {0, 0, 1}, extra);
}

// The panel's picture: 2 x 1 is placed 173 x 86 at (0, 39); its left half
// shows pixel 0, its right half pixel 1.
struct Painted {
  Rgba left, right, outside;
};
Painted PaintInPanel(const Bytes& file) {
  TPicture picture;
  auto png = std::make_unique<TPNGObject>();
  png->LoadFromBytes(file);
  picture.SetGraphic(std::move(png));
  platform::Canvas canvas(173, 164);
  PaintImage(picture, canvas);
  return {canvas.PixelAt(20, 60), canvas.PixelAt(150, 60), canvas.PixelAt(20, 20)};
}

struct DrawCase {
  const char* name;
  std::function<Bytes()> file;
  PngTransparency mode;
  Rgba left, right;
};

class PngDraw : public testing::TestWithParam<DrawCase> {};

TEST_P(PngDraw, OverTheMonitorBackground) {
  TPNGObject png;
  png.LoadFromBytes(GetParam().file());
  EXPECT_EQ(png.Transparency(), GetParam().mode);
  EXPECT_EQ(png.GetTransparent(), GetParam().mode != PngTransparency::None);
  const Painted p = PaintInPanel(GetParam().file());
  EXPECT_EQ(p.left, GetParam().left);
  EXPECT_EQ(p.right, GetParam().right);
  EXPECT_EQ(p.outside, kBackground);
}

Bytes RgbaPair(int alpha_left, int alpha_right) {
  return test::SimplePng(2, 1, 8, 6,
                         {0, 255, 0, 0, static_cast<std::uint8_t>(alpha_left), 0, 0, 255,
                          static_cast<std::uint8_t>(alpha_right)});
}

INSTANTIATE_TEST_SUITE_P(
    Modes, PngDraw,
    testing::Values(
        DrawCase{"Opaque", [] { return RedBluePalette({}); }, PngTransparency::None, kRed, kBlue},
        DrawCase{"OneClearEntryIsKeyed", [] { return RedBluePalette({0}); }, PngTransparency::Bit, kBackground, kBlue},
        DrawCase{"SemiTransparentEntriesBlend", [] { return RedBluePalette({128, 64}); }, PngTransparency::Partial,
                 Over(kRed, kBackground, 128), Over(kBlue, kBackground, 64)},
        DrawCase{"OneHalfClearEntryBlends", [] { return RedBluePalette({255, 100}); }, PngTransparency::Partial,
                 kRed, Over(kBlue, kBackground, 100)},
        DrawCase{"AlphaChannel", [] { return RgbaPair(0, 200); }, PngTransparency::Partial, kBackground,
                 Over(kBlue, kBackground, 200)},
        DrawCase{"GreyWithAlpha", [] { return test::SimplePng(2, 1, 8, 4, {0, 90, 255, 90, 30}); },
                 PngTransparency::Partial, Rgba{90, 90, 90, 255}, Over({90, 90, 90, 255}, kBackground, 30)},
        DrawCase{"GreyKey", [] { return test::SimplePng(2, 1, 8, 0, {0, 7, 9}, {PngChunkBytes("tRNS", {0, 9})}); },
                 PngTransparency::Bit, Rgba{7, 7, 7, 255}, kBackground},
        DrawCase{"TwoBitGreyKey", [] { return test::SimplePng(2, 1, 2, 0, {0, 0x40}, {PngChunkBytes("tRNS", {0, 1})}); },
                 PngTransparency::Bit, kBackground, Rgba{0, 0, 0, 255}},
        DrawCase{"SixteenBitGreyKeyNeedsBothBytes",
                 [] { return test::SimplePng(2, 1, 16, 0, {0, 5, 6, 5, 7}, {PngChunkBytes("tRNS", {5, 7})}); },
                 PngTransparency::Bit, Rgba{5, 5, 5, 255}, kBackground},
        DrawCase{"ColourKey",
                 [] { return test::SimplePng(2, 1, 8, 2, {0, 1, 2, 3, 4, 5, 6}, {PngChunkBytes("tRNS", {0, 4, 0, 5, 0, 6})}); },
                 PngTransparency::Bit, Rgba{1, 2, 3, 255}, kBackground}),
    [](const testing::TestParamInfo<DrawCase>& info) { return info.param.name; });

TEST(PngDraw, StretchesNearestNeighbourAndClips) {
  TPNGObject png;
  png.LoadFromBytes(test::SimplePng(2, 2, 8, 0, {0, 10, 20, 0, 30, 40}));
  platform::Canvas canvas(5, 5);
  png.Draw(canvas, {1, 1, 7, 7});  // 3 x 3 per pixel, partly off the canvas
  EXPECT_EQ(canvas.PixelAt(0, 0), (Rgba{0, 0, 0, 255}));
  EXPECT_EQ(canvas.PixelAt(3, 3).r, 10);
  EXPECT_EQ(canvas.PixelAt(4, 3).r, 20);
  EXPECT_EQ(canvas.PixelAt(4, 4).r, 40);
  png.Draw(canvas, {4, 4, 4, 9});  // no width: nothing drawn
  EXPECT_EQ(canvas.PixelAt(4, 4).r, 40);
}

TEST(PngDraw, IndexBeyondThePaletteIsAnErrorWhenBlended) {
  TPNGObject png;
  png.LoadFromBytes(test::SimplePng(2, 1, 8, 3, {0, 0, 5},
                                    {PngChunkBytes("PLTE", {1, 2, 3}), PngChunkBytes("tRNS", {100})}));
  platform::Canvas canvas(4, 4);
  EXPECT_THROW(png.Draw(canvas, canvas.ClientRect()), EPngError);
}

TEST(PngPicture, PngFilesLoadByTheirExtension) {
  test::TempDir dir;
  test::WriteFile(dir / "shot.PNG", RedBluePalette({0}));
  test::WriteFile(dir / "photo.png", test::SolidJpeg(8, 8, kRed));
  TPicture picture;
  picture.LoadFromFile(dir / "shot.PNG");
  ASSERT_NE(dynamic_cast<TPNGObject*>(picture.Graphic()), nullptr);
  EXPECT_EQ(picture.Width(), 2);
  EXPECT_THROW(picture.LoadFromFile(dir / "photo.png"), EPNGInvalidFileHeader);
  EXPECT_EQ(picture.Width(), 2);
}

}  // namespace
}  // namespace plendo::preview
