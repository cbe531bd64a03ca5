// Which images of a GIF make the converted picture, and GIFs giflib refuses
// that the preview shows: an LZW code size above 8, no colour table.
#include <gtest/gtest.h>

#include "imaging/ImageDecoder.h"
#include "preview/GifBuilder.h"

namespace plendo::imaging {
namespace {

using platform::Bitmap;
using platform::Rgba;
using test::Bytes;
using test::Join;

constexpr Rgba kRed{255, 0, 0, 255}, kGreen{0, 255, 0, 255}, kBlue{0, 0, 255, 255};

Bytes Screen(int width, int height) { return test::GifHeader(width, height, {kRed, kGreen, kBlue}); }
Bytes Flat(int width, int height, std::uint8_t index, int left = 0, int top = 0) {
  return test::Image(width, height, std::vector<std::uint8_t>(static_cast<std::size_t>(width * height), index),
                     {.left = left, .top = top});
}

TEST(GifFirstPicture, IsTheFirstImageOrTheTilesOfOnePicture) {
  const struct {
    const char* name;
    Bytes file;
    Rgba left, right;  // the screen's left and right halves
  } cases[] = {
      // No graphic control extension on the first image, one on the next.
      {"first image without an extension", Join({Screen(2, 1), Flat(2, 1, 0), test::GraphicControl(), Flat(2, 1, 1), test::kTrailer}), kRed, kRed},
      // Neither has one, and the second covers the first again.
      {"images drawn over each other", Join({Screen(2, 1), Flat(2, 1, 0), Flat(2, 1, 2), test::kTrailer}), kRed, kRed},
      // Two tiles side by side make one picture; a third image is the next one.
      {"tiles", Join({Screen(2, 1), Flat(1, 1, 0), Flat(1, 1, 2, 1), Flat(2, 1, 1), test::kTrailer}), kRed, kBlue},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const Bitmap b = DecodeImage(c.file);
    EXPECT_EQ(b.PixelAt(0, 0), c.left);
    EXPECT_EQ(b.PixelAt(1, 0), c.right);
  }
}

TEST(GifFirstPicture, CodeSizeAboveEightIsReadAsEight) {
  const Bytes file = Join({Screen(2, 1), test::ImageBlock(2, 1, test::ImageData(test::LiteralCodes({1, 2}, 8), 12)), test::kTrailer});
  const Bitmap b = DecodeImage(file);
  EXPECT_EQ(b.PixelAt(0, 0), kGreen);
  EXPECT_EQ(b.PixelAt(1, 0), kBlue);
}

TEST(GifFirstPicture, NoColourTableShowsTheIndicesAsGrey) {
  const Bytes file = Join({test::GifHeader(2, 1, {}), test::Image(2, 1, {0, 200}), test::kTrailer});
  const Bitmap b = DecodeImage(file);
  EXPECT_EQ(b.PixelAt(0, 0), (Rgba{0, 0, 0, 255}));
  EXPECT_EQ(b.PixelAt(1, 0), (Rgba{200, 200, 200, 255}));
}

}  // namespace
}  // namespace plendo::imaging
