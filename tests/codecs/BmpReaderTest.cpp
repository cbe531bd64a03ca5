// The BMP reader on files built by hand: the header variants, bit fields,
// alpha, RLE skips and damaged data.
#include <gtest/gtest.h>

#include "codecs/BmpReader.h"
#include "platform/BitmapError.h"
#include "support/TestImages.h"

namespace plendo::codecs {
namespace {

using platform::Bitmap;
using platform::PixelFormat;
using platform::Rgba;

using test::Bytes;

void Put32(Bytes& b, std::size_t at, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) b[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
}

// A 40-byte-header file of `bits` per pixel with the given compression,
// masks after the header, and raw pixel rows.
Bytes MakeBmp(int width, int height, int bits, std::uint32_t compression, const std::vector<std::uint32_t>& masks,
              const Bytes& rows) {
  Bytes b(14 + 40, 0);
  b[0] = 'B', b[1] = 'M';
  Put32(b, 14, 40);
  Put32(b, 18, static_cast<std::uint32_t>(width));
  Put32(b, 22, static_cast<std::uint32_t>(height));
  b[26] = 1;
  b[28] = static_cast<std::uint8_t>(bits);
  Put32(b, 30, compression);
  for (std::uint32_t m : masks) {
    b.resize(b.size() + 4);
    Put32(b, b.size() - 4, m);
  }
  Put32(b, 10, static_cast<std::uint32_t>(b.size()));
  b.insert(b.end(), rows.begin(), rows.end());
  Put32(b, 2, static_cast<std::uint32_t>(b.size()));
  return b;
}

TEST(BmpReaderTest, BitFieldsScaleEachChannelToEightBits) {
  // 16 bits, 5-6-5: one pixel of full red, one of half green (32 of 63).
  const Bytes rows = {0x00, 0xF8, 0x00, 0x04};
  const Bitmap b = DecodeBmp(MakeBmp(2, 1, 16, 3, {0xF800, 0x07E0, 0x001F}, rows));
  EXPECT_EQ(b.PixelAt(0, 0), (Rgba{255, 0, 0, 255}));
  EXPECT_EQ(b.PixelAt(1, 0), (Rgba{0, 130, 0, 255}));
}

TEST(BmpReaderTest, AlphaBitFieldsGiveStraightAlpha) {
  const Bytes rows = {10, 20, 30, 128, 1, 2, 3, 0};
  const Bitmap b = DecodeBmp(MakeBmp(2, 1, 32, 6, {0xFF0000, 0xFF00, 0xFF, 0xFF000000}, rows));
  ASSERT_EQ(b.Format(), PixelFormat::Bgra32);
  EXPECT_EQ(b.PixelAt(0, 0), (Rgba{30, 20, 10, 128}));
  EXPECT_EQ(b.PixelAt(1, 0).a, 0);
}

TEST(BmpReaderTest, AlphaThatIsZeroEverywhereMeansOpaque) {
  const Bytes rows = {10, 20, 30, 0, 1, 2, 3, 0};
  const Bitmap b = DecodeBmp(MakeBmp(2, 1, 32, 6, {0xFF0000, 0xFF00, 0xFF, 0xFF000000}, rows));
  EXPECT_EQ(b.PixelAt(0, 0), (Rgba{30, 20, 10, 255}));
}

TEST(BmpReaderTest, PlainThirtyTwoBitsIgnoreTheFourthByte) {
  const Bytes rows = {10, 20, 30, 77};
  const Bitmap b = DecodeBmp(MakeBmp(1, 1, 32, 0, {}, rows));
  EXPECT_EQ(b.Format(), PixelFormat::Bgr24);
  EXPECT_EQ(b.PixelAt(0, 0), (Rgba{30, 20, 10, 255}));
}

TEST(BmpReaderTest, RleSkipsLeaveTransparentPixels) {
  // 4 x 2, RLE8, palette of two: row 0 (bottom) = run of 2 of index 1, then
  // end of line; a delta of (1, 1) would pass the top, so end of bitmap.
  Bytes b = MakeBmp(4, 2, 8, 1, {}, {});
  const Bytes palette = {0, 0, 0, 0, 0, 0, 255, 0};
  b.insert(b.end(), palette.begin(), palette.end());
  Put32(b, 46, 2);
  Put32(b, 10, static_cast<std::uint32_t>(b.size()));
  const Bytes rle = {2, 1, 0, 0, 1, 0, 0, 1};
  b.insert(b.end(), rle.begin(), rle.end());
  const Bitmap out = DecodeBmp(b);
  ASSERT_EQ(out.Format(), PixelFormat::Bgra32);
  EXPECT_EQ(out.PixelAt(0, 1), (Rgba{255, 0, 0, 255}));
  EXPECT_EQ(out.PixelAt(1, 1), (Rgba{255, 0, 0, 255}));
  EXPECT_EQ(out.PixelAt(2, 1).a, 0);
  EXPECT_EQ(out.PixelAt(0, 0), (Rgba{0, 0, 0, 255}));  // one pixel of index 0 on the top row
  EXPECT_EQ(out.PixelAt(1, 0).a, 0);
}

struct Damaged {
  const char* name;
  std::size_t offset;
  std::uint32_t value;
  friend void PrintTo(const Damaged& d, std::ostream* os) { *os << d.name; }
};

class BmpDamageTest : public ::testing::TestWithParam<Damaged> {};

TEST_P(BmpDamageTest, IsRefused) {
  Bytes b = test::WriteBmp(test::MakePatches(9, 7));
  Put32(b, GetParam().offset, GetParam().value);
  EXPECT_THROW(DecodeBmp(b), Exception);
}

INSTANTIATE_TEST_SUITE_P(
    Headers, BmpDamageTest,
    ::testing::Values(Damaged{"zero_width", 18, 0}, Damaged{"zero_height", 22, 0},
                      Damaged{"most_negative_height", 22, 0x80000000u}, Damaged{"huge_width", 18, 0x7FFFFFFF},
                      Damaged{"header_size", 14, 7}, Damaged{"pixel_offset_past_end", 10, 100000},
                      Damaged{"bit_count", 28, 7}, Damaged{"compression", 30, 9},
                      Damaged{"rle_with_24_bits", 30, 1}, Damaged{"embedded_png", 30, 5}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(BmpReaderTest, PixelDataCutOffIsRefused) {
  Bytes b = test::WriteBmp(test::MakePatches(9, 7));
  b.resize(b.size() - 1);
  EXPECT_THROW(DecodeBmp(b), BmpError);
}

TEST(BmpReaderTest, HugeClaimWithLittleDataIsRefused) {
  EXPECT_THROW(DecodeBmp(MakeBmp(30000, -30000, 24, 0, {}, Bytes(1000))), BmpError);
  EXPECT_THROW(DecodeBmp(MakeBmp(70000, 70000, 8, 1, {}, Bytes(1000))), platform::BitmapTooLarge);
}

}  // namespace
}  // namespace plendo::codecs
