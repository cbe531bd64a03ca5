// Every format through TGPBitmap: the same picture comes back with the same
// pixels (within JPEG's tolerance), and failures give width 0.
#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "imaging/Graphics.h"
#include "imaging/ImageDecoder.h"
#include "support/TempDir.h"
#include "support/TestImages.h"

namespace plendo::imaging {
namespace {

using platform::Bitmap;
using platform::PixelFormat;
using platform::Rgba;
using namespace plendo::test;

struct RoundTrip {
  std::string name;
  std::function<test::Bytes(const Bitmap&)> write;
  int tolerance;  // largest channel difference; for JPEG the mean difference
  friend void PrintTo(const RoundTrip& r, std::ostream* os) { *os << r.name; }
};

bool Lossy(const RoundTrip& r) { return r.name.starts_with("jpeg") || r.name == "tiff_jpeg"; }

class RoundTripTest : public ::testing::TestWithParam<RoundTrip> {};

TEST_P(RoundTripTest, SamePictureFromEveryFormat) {
  const Bitmap picture = MakePatches(37, 23);
  TempDir dir;
  // The name never decides the format: every file is called .jpg.
  const auto path = dir / (GetParam().name + ".jpg");
  WriteFile(path, GetParam().write(picture));
  const TGPBitmap decoded(path);
  ASSERT_EQ(decoded.GetWidth(), 37u);
  ASSERT_EQ(decoded.GetHeight(), 23u);
  if (Lossy(GetParam()))
    EXPECT_LE(MeanChannelDifference(decoded.Pixels(), picture), GetParam().tolerance);
  else
    EXPECT_LE(MaxChannelDifference(decoded.Pixels(), picture), GetParam().tolerance);
}

INSTANTIATE_TEST_SUITE_P(
    Formats, RoundTripTest,
    ::testing::Values(
        RoundTrip{"jpeg", [](const Bitmap& b) { return WriteJpeg(b); }, 8},
        RoundTrip{"jpeg_progressive", [](const Bitmap& b) { return WriteJpeg(b, {.progressive = true}); }, 8},
        RoundTrip{"jpeg_cmyk_adobe", [](const Bitmap& b) { return WriteJpeg(b, {.cmyk = true}); }, 8},
        RoundTrip{"jpeg_cmyk_plain", [](const Bitmap& b) { return WriteJpeg(b, {.cmyk = true, .inverted = false}); }, 8},
        RoundTrip{"png", [](const Bitmap& b) { return WritePng(b); }, 0},
        RoundTrip{"png16", [](const Bitmap& b) { return WritePng(b, {.bit_depth = 16}); }, 0},
        RoundTrip{"png_interlaced", [](const Bitmap& b) { return WritePng(b, {.interlaced = true}); }, 0},
        RoundTrip{"png_palette", [](const Bitmap& b) { return WritePng(b, {.palette = true}); }, 0},
        RoundTrip{"gif", [](const Bitmap& b) { return WriteGif(b); }, 0},
        RoundTrip{"gif_interlaced", [](const Bitmap& b) { return WriteGif(b, {.interlaced = true}); }, 0},
        RoundTrip{"gif_animated", [](const Bitmap& b) { return WriteGif(b, {.frames = 3}); }, 0},
        RoundTrip{"tiff_rgb", [](const Bitmap& b) { return WriteTiff(b); }, 0},
        RoundTrip{"tiff_deflate_tiled", [](const Bitmap& b) { return WriteTiff(b, {.compressed = true, .tiled = true}); }, 0},
        RoundTrip{"tiff_palette", [](const Bitmap& b) { return WriteTiff(b, {.kind = TiffKind::Palette}); }, 0},
        RoundTrip{"tiff_cmyk", [](const Bitmap& b) { return WriteTiff(b, {.kind = TiffKind::Cmyk}); }, 2},
        RoundTrip{"tiff_rgba", [](const Bitmap& b) { return WriteTiff(b, {.kind = TiffKind::RgbAlpha}); }, 0},
        RoundTrip{"tiff_jpeg", [](const Bitmap& b) { return WriteTiff(b, {.kind = TiffKind::YCbCrJpeg}); }, 8},
        RoundTrip{"tiff_pages", [](const Bitmap& b) { return WriteTiff(b, {.pages = 3}); }, 0},
        RoundTrip{"bmp24", [](const Bitmap& b) { return WriteBmp(b); }, 0},
        RoundTrip{"bmp24_topdown", [](const Bitmap& b) { return WriteBmp(b, {.top_down = true}); }, 0},
        RoundTrip{"bmp32", [](const Bitmap& b) { return WriteBmp(b, {.bits = 32}); }, 0},
        RoundTrip{"bmp16", [](const Bitmap& b) { return WriteBmp(b, {.bits = 16}); }, 8},
        RoundTrip{"bmp8", [](const Bitmap& b) { return WriteBmp(b, {.bits = 8}); }, 0},
        RoundTrip{"bmp4", [](const Bitmap& b) { return WriteBmp(b, {.bits = 4}); }, 0},
        RoundTrip{"bmp8_rle", [](const Bitmap& b) { return WriteBmp(b, {.bits = 8, .rle = true}); }, 0},
        RoundTrip{"bmp4_rle", [](const Bitmap& b) { return WriteBmp(b, {.bits = 4, .rle = true}); }, 0},
        RoundTrip{"bmp8_os2", [](const Bitmap& b) { return WriteBmp(b, {.bits = 8, .os2 = true}); }, 0},
        RoundTrip{"ico32", [](const Bitmap& b) { return WriteIco({{&b, 32}}); }, 0},
        RoundTrip{"ico8", [](const Bitmap& b) { return WriteIco({{&b, 8}}); }, 0},
        RoundTrip{"ico_png", [](const Bitmap& b) { return WriteIco({{&b, 32, true}}); }, 0}),
    [](const auto& info) { return info.param.name; });

// Grey sources come out grey: the writers keep the green channel.
class GreyTest : public ::testing::TestWithParam<RoundTrip> {};

TEST_P(GreyTest, DecodesToTheGreyPicture) {
  const Bitmap picture = MakePatches(37, 23);
  Bitmap grey = picture.Clone();
  for (int y = 0; y < grey.Height(); ++y)
    for (int x = 0; x < grey.Width(); ++x) {
      std::uint8_t* p = grey.Row(y) + 3 * x;
      p[0] = p[2] = p[1];
    }
  const Bitmap decoded = DecodeImage(GetParam().write(picture));
  if (Lossy(GetParam()))
    EXPECT_LE(MeanChannelDifference(decoded, grey), GetParam().tolerance);
  else
    EXPECT_LE(MaxChannelDifference(decoded, grey), GetParam().tolerance);
}

INSTANTIATE_TEST_SUITE_P(
    Formats, GreyTest,
    ::testing::Values(RoundTrip{"jpeg_grey", [](const Bitmap& b) { return WriteJpeg(b, {.grey = true}); }, 3},
                      RoundTrip{"png_grey", [](const Bitmap& b) { return WritePng(b, {.grey = true}); }, 0},
                      RoundTrip{"png_grey16_interlaced",
                                [](const Bitmap& b) { return WritePng(b, {.bit_depth = 16, .grey = true, .interlaced = true}); }, 0},
                      RoundTrip{"tiff_grey", [](const Bitmap& b) { return WriteTiff(b, {.kind = TiffKind::Grey}); }, 0}),
    [](const auto& info) { return info.param.name; });

TEST(DecodeTest, TransparencySurvivesEveryFormatThatHasIt) {
  Bitmap picture = MakePatches(20, 10);
  Bitmap clear(20, 10, PixelFormat::Bgra32);
  for (int y = 0; y < 10; ++y)
    for (int x = 0; x < 20; ++x) {
      const Rgba c = picture.PixelAt(x, y);
      std::uint8_t* p = clear.Row(y) + 4 * x;
      p[0] = c.b, p[1] = c.g, p[2] = c.r, p[3] = x < 5 ? 0 : 255;
    }
  const std::pair<const char*, test::Bytes> files[] = {
      {"png", WritePng(clear)},
      {"png_palette_trns", WritePng(clear, {.palette = true})},
      {"gif", WriteGif(clear)},
      {"gif_on_a_bigger_screen", WriteGif(clear, {.screen_width = 30, .screen_height = 12, .left = 2, .top = 1})},
      {"tiff", WriteTiff(clear, {.kind = TiffKind::RgbAlpha})},
      {"bmp_v5", WriteBmp(clear, {.bits = 32, .v5_alpha = true})},
      {"ico_mask", WriteIco({{&clear, 24}})},
  };
  for (const auto& [name, bytes] : files) {
    SCOPED_TRACE(name);
    const Bitmap decoded = DecodeImage(bytes);
    const bool offset = std::string(name) == "gif_on_a_bigger_screen";
    const int dx = offset ? 2 : 0, dy = offset ? 1 : 0;
    EXPECT_EQ(decoded.PixelAt(dx + 2, dy + 3).a, 0);
    EXPECT_EQ(decoded.PixelAt(dx + 12, dy + 3), clear.PixelAt(12, 3));
    if (offset) {
      EXPECT_EQ(decoded.Width(), 30);
      EXPECT_EQ(decoded.PixelAt(29, 11).a, 0);  // the screen outside the frame
    }
  }
}

TEST(DecodeTest, MissingUnknownAndMetafileSourcesHaveWidthZero) {
  TempDir dir;
  WriteFile(dir / "text.jpg", {'h', 'e', 'l', 'l', 'o'});
  WriteFile(dir / "empty.png", {});
  test::Bytes emf(64, 0);
  emf[0] = 1, emf[40] = ' ', emf[41] = 'E', emf[42] = 'M', emf[43] = 'F';
  WriteFile(dir / "meta.emf", emf);
  for (const char* name : {"missing.jpg", "text.jpg", "empty.png", "meta.emf", "."}) {
    const TGPBitmap image(dir / name);
    EXPECT_EQ(image.GetWidth(), 0u) << name;
    EXPECT_EQ(image.GetHeight(), 0u) << name;
    EXPECT_NE(image.GetLastStatus(), Status::Ok) << name;
  }
}

}  // namespace
}  // namespace plendo::imaging
