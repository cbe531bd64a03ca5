#include <gtest/gtest.h>

#include "platform/Bitmap.h"
#include "platform/BitmapError.h"

namespace plendo::platform {
namespace {

TEST(Bitmap, RowsArePaddedToFourBytes) {
  for (int width = 1; width < 64; ++width) {
    EXPECT_EQ(Bitmap::StrideFor(width, PixelFormat::Bgr24) % 4, 0u) << width;
    EXPECT_GE(Bitmap::StrideFor(width, PixelFormat::Bgr24), static_cast<std::size_t>(width) * 3);
    EXPECT_EQ(Bitmap::StrideFor(width, PixelFormat::Indexed1), ((width + 31) / 32) * 4u);
  }
}

TEST(Bitmap, RefusesAbsurdSizesBeforeAllocating) {
  EXPECT_THROW(Bitmap(-1, 10, PixelFormat::Bgr24), BitmapTooLarge);
  EXPECT_THROW(Bitmap(100000, 100000, PixelFormat::Bgra32), BitmapTooLarge);
  EXPECT_NO_THROW(Bitmap(0, 0, PixelFormat::Bgr24));
}

TEST(Bitmap, PixelAtReadsEveryFormat) {
  Bitmap indexed(10, 1, PixelFormat::Indexed4);
  indexed.Palette() = {{0, 0, 0, 255}, {10, 20, 30, 255}};
  indexed.Row(0)[0] = 0x01;  // pixel 0 -> index 0, pixel 1 -> index 1
  EXPECT_EQ(indexed.PixelAt(0, 0), (Rgba{0, 0, 0, 255}));
  EXPECT_EQ(indexed.PixelAt(1, 0), (Rgba{10, 20, 30, 255}));

  Bitmap mono(9, 1, PixelFormat::Indexed1);
  mono.Palette() = {{0, 0, 0, 255}, {255, 255, 255, 255}};
  mono.Row(0)[1] = 0x80;  // pixel 8
  EXPECT_EQ(mono.PixelAt(8, 0).r, 255);
  EXPECT_EQ(mono.PixelAt(7, 0).r, 0);

  const Bitmap bgr = ConvertToBgr24(indexed);
  EXPECT_EQ(bgr.Row(0)[3], 30);  // blue of pixel 1
  EXPECT_EQ(bgr.Row(0)[5], 10);  // red of pixel 1
}


}  // namespace
}  // namespace plendo::platform
