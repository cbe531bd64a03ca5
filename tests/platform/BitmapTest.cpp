#include <gtest/gtest.h>

#include <jpeglib.h>

#include "platform/Bitmap.h"
#include "platform/BitmapError.h"
#include "platform/JpegEncoder.h"

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

TEST(JpegEncoder, EmptyBitmapGivesEmptyStreamAndRedStaysRed) {
  EXPECT_TRUE(EncodeJpeg(Bitmap(0, 5, PixelFormat::Bgr24), {}).empty());

  Bitmap red(16, 16, PixelFormat::Bgr24);
  for (int y = 0; y < 16; ++y)
    for (int x = 0; x < 16; ++x) red.Row(y)[x * 3 + 2] = 255;
  const auto bytes = EncodeJpeg(red, {90, false});
  ASSERT_GT(bytes.size(), 100u);

  jpeg_decompress_struct cinfo{};
  jpeg_error_mgr err{};
  cinfo.err = jpeg_std_error(&err);
  jpeg_create_decompress(&cinfo);
  jpeg_mem_src(&cinfo, bytes.data(), bytes.size());
  jpeg_read_header(&cinfo, TRUE);
  jpeg_start_decompress(&cinfo);
  std::vector<unsigned char> row(16 * 3);
  JSAMPROW p = row.data();
  jpeg_read_scanlines(&cinfo, &p, 1);
  jpeg_abort_decompress(&cinfo);
  jpeg_destroy_decompress(&cinfo);
  EXPECT_GT(row[0], 240);
  EXPECT_LT(row[2], 15);
}

}  // namespace
}  // namespace plendo::platform
