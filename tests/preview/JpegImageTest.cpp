#include <gtest/gtest.h>

#include <random>
#include <sstream>

#include "platform/BitmapError.h"
#include <jerror.h>

#include "codecs/JpegError.h"
#include "preview/JpegImage.h"
#include "preview/JpegSamples.h"

namespace plendo::preview {
namespace {

using platform::Canvas;
using platform::PixelFormat;
using platform::Rgba;

std::istringstream StreamOf(const std::vector<std::uint8_t>& bytes) {
  return std::istringstream(std::string(bytes.begin(), bytes.end()));
}

void Load(TJPEGImage& image, const std::vector<std::uint8_t>& bytes) {
  auto stream = StreamOf(bytes);
  image.LoadFromStream(stream);
}

bool Near(Rgba a, Rgba b, int tolerance = 8) {
  return std::abs(a.r - b.r) <= tolerance && std::abs(a.g - b.g) <= tolerance &&
         std::abs(a.b - b.b) <= tolerance;
}

TEST(JpegImage, HeaderAtLoadPixelsAtFirstDraw) {
  TJPEGImage image;
  Load(image, test::SolidJpeg(64, 48, {200, 30, 40, 255}, /*progressive=*/true));
  EXPECT_EQ(image.GetWidth(), 64);
  EXPECT_EQ(image.GetHeight(), 48);
  EXPECT_TRUE(image.ProgressiveEncoding());
  EXPECT_FALSE(image.Grayscale());

  Canvas canvas(10, 10);
  image.Draw(canvas, {2, 2, 8, 8});
  EXPECT_TRUE(Near(canvas.PixelAt(5, 5), {200, 30, 40, 255}));
  EXPECT_EQ(canvas.PixelAt(0, 0), (Rgba{0, 0, 0, 255}));
  EXPECT_EQ(image.GetBitmap().Format(), PixelFormat::Bgr24);
}

TEST(JpegImage, GreyscaleFileIsQuantisedThroughAPalette) {
  TJPEGImage image;
  platform::Bitmap halves = test::MakeFlat(32, 32, {0, 30, 0, 255});
  for (int y = 16; y < 32; ++y)
    for (int x = 0; x < 32; ++x) halves.Row(y)[x * 3 + 1] = 220;
  test::JpegOptions grey;
  grey.grey = true;
  Load(image, test::WriteJpeg(halves, grey));
  EXPECT_TRUE(image.Grayscale());
  const auto& bitmap = image.GetBitmap();
  ASSERT_EQ(bitmap.Format(), PixelFormat::Indexed8);
  EXPECT_LE(bitmap.Palette().size(), 236u);
  EXPECT_GE(bitmap.Palette().size(), 2u);
  EXPECT_TRUE(Near(bitmap.PixelAt(16, 4), {30, 30, 30, 255}));
  EXPECT_TRUE(Near(bitmap.PixelAt(16, 28), {220, 220, 220, 255}));
}

TEST(JpegImage, PngBytesFailInTheHeader) {
  TJPEGImage image;
  const std::vector<std::uint8_t> png = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A,
                                         0, 0, 0, 13, 'I', 'H', 'D', 'R'};
  try {
    Load(image, png);
    FAIL();
  } catch (const codecs::EJPEG& e) {
    EXPECT_EQ(e.Code(), JERR_NO_SOI);
    EXPECT_EQ(e.Message(), "JPEG エラー #" + std::to_string(JERR_NO_SOI));
  }
  EXPECT_TRUE(image.GetEmpty());
  EXPECT_THROW(Load(image, {}), codecs::EJPEG);
}

// Cuts the file halfway between its first scan header and its end.
void CutInsideData(std::vector<std::uint8_t>& jpeg) {
  for (std::size_t i = 0; i + 1 < jpeg.size(); ++i)
    if (jpeg[i] == 0xFF && jpeg[i + 1] == 0xDA) {
      jpeg.resize(i + (jpeg.size() - i) / 2);
      return;
    }
  FAIL() << "no scan";
}

TEST(JpegImage, CutOffDataShowsWhatWasDecoded) {
  for (bool progressive : {false, true}) {
    auto bytes = test::SolidJpeg(64, 64, {20, 200, 40, 255}, progressive);
    CutInsideData(bytes);
    TJPEGImage image;
    ASSERT_NO_THROW(Load(image, bytes)) << progressive;
    Canvas canvas(64, 64);
    ASSERT_NO_THROW(image.Draw(canvas, canvas.ClientRect())) << progressive;
    EXPECT_TRUE(Near(canvas.PixelAt(4, 4), {20, 200, 40, 255}, 24)) << progressive;
  }
}

TEST(JpegImage, CutOffHeaderFailsAtLoad) {
  auto bytes = test::SolidJpeg(64, 64, {20, 200, 40, 255});
  bytes.resize(40);
  TJPEGImage image;
  EXPECT_THROW(Load(image, bytes), codecs::EJPEG);
}

TEST(JpegImage, AbsurdSizeFailsAtDrawBeforeDecoding) {
  auto bytes = test::SolidJpeg(16, 16, {1, 2, 3, 255});
  test::PatchJpegSize(bytes, 60000, 60000);
  TJPEGImage image;
  Load(image, bytes);
  EXPECT_EQ(image.GetWidth(), 60000);
  Canvas canvas(4, 4);
  EXPECT_THROW(image.Draw(canvas, canvas.ClientRect()), platform::BitmapTooLarge);
}

TEST(JpegImage, DamagedDataDrawsOrFailsWithTheJpegError) {
  for (bool progressive : {false, true}) {
    const auto good = test::SolidJpeg(48, 40, {90, 120, 200, 255}, progressive);
    std::size_t sos = 0;
    while (sos + 1 < good.size() && !(good[sos] == 0xFF && good[sos + 1] == 0xDA)) ++sos;
    std::mt19937 random(progressive ? 7 : 3);
    for (int round = 0; round < 150; ++round) {
      auto bytes = good;
      for (int i = 0; i < 4; ++i)
        bytes[sos + random() % (bytes.size() - sos)] = static_cast<std::uint8_t>(random());
      TJPEGImage image;
      Canvas canvas(48, 40);
      try {
        Load(image, bytes);
        image.Draw(canvas, canvas.ClientRect());
      } catch (const codecs::EJPEG&) {
      }
    }
  }
}

}  // namespace
}  // namespace plendo::preview
