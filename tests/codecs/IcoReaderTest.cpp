// The icon container: which entry is shown, masks, PNG entries.
#include <gtest/gtest.h>

#include <algorithm>

#include "codecs/IcoReader.h"
#include "support/TestImages.h"

namespace plendo::codecs {
namespace {

using platform::Bitmap;
using platform::PixelFormat;
using platform::Rgba;

using test::Bytes;

// Stands in for the PNG decoder: a 1 x 1 picture that says it came from here.
Bitmap FakePng(std::span<const std::uint8_t>) { return test::MakeFlat(1, 1, Rgba{1, 2, 3, 255}); }

TEST(IcoReaderTest, HighestDepthWinsThenTheLargest) {
  const Bitmap small32 = test::MakeFlat(16, 16, Rgba{10, 10, 10, 255}, PixelFormat::Bgra32);
  const Bitmap big8 = test::MakeFlat(48, 48, Rgba{20, 20, 20, 255}, PixelFormat::Bgra32);
  const Bitmap big32 = test::MakeFlat(32, 32, Rgba{30, 30, 30, 255}, PixelFormat::Bgra32);
  const Bitmap out = DecodeIco(test::WriteIco({{&small32, 32}, {&big8, 8}, {&big32, 32}}), FakePng);
  EXPECT_EQ(out.Width(), 32);
  EXPECT_EQ(out.PixelAt(5, 5), (Rgba{30, 30, 30, 255}));
}

// PNG entries made from 16 or 256 colours often store 32-bit pixels all the
// same: of equal sizes and depths, the directory's bit count decides.
TEST(IcoReaderTest, EqualPngEntriesGoByTheDirectoryBitCount) {
  const Bitmap four = test::MakeFlat(16, 16, Rgba{4, 4, 4, 255}, PixelFormat::Bgra32);
  const Bitmap full = test::MakeFlat(16, 16, Rgba{32, 32, 32, 255}, PixelFormat::Bgra32);
  const Bitmap eight = test::MakeFlat(16, 16, Rgba{8, 8, 8, 255}, PixelFormat::Bgra32);
  const Bytes ico = test::WriteIco({{&four, 4, true}, {&full, 32, true}, {&eight, 8, true}});
  const Bytes best = test::WritePng(full);
  const auto which = [&](std::span<const std::uint8_t> png) {
    const bool is_best = std::equal(png.begin(), png.end(), best.begin(), best.end());
    return test::MakeFlat(1, 1, is_best ? Rgba{1, 1, 1, 255} : Rgba{0, 0, 0, 255});
  };
  EXPECT_EQ(DecodeIco(ico, which).PixelAt(0, 0).r, 1);
}

TEST(IcoReaderTest, AndMaskMakesPixelsTransparent) {
  Bitmap picture = test::MakeFlat(8, 4, Rgba{200, 100, 0, 255}, PixelFormat::Bgra32);
  picture.Row(1)[4 * 6 + 3] = 0;
  const Bitmap out = DecodeIco(test::WriteIco({{&picture, 24}}), FakePng);
  EXPECT_EQ(out.PixelAt(6, 1).a, 0);
  EXPECT_EQ(out.PixelAt(5, 1), (Rgba{200, 100, 0, 255}));
}

TEST(IcoReaderTest, PngEntriesGoToThePngDecoder) {
  const Bitmap picture = test::MakeFlat(8, 8, Rgba{9, 9, 9, 255}, PixelFormat::Bgra32);
  const Bytes ico = test::WriteIco({{&picture, 32, true}});
  EXPECT_EQ(DecodeIco(ico, FakePng).PixelAt(0, 0), (Rgba{1, 2, 3, 255}));
  EXPECT_THROW(DecodeIco(ico, nullptr), IcoError);
}

TEST(IcoReaderTest, DamagedEntryFallsBackToTheNextBest) {
  const Bitmap good = test::MakeFlat(16, 16, Rgba{40, 50, 60, 255}, PixelFormat::Bgra32);
  const Bitmap bad = test::MakeFlat(32, 32, Rgba{0, 0, 0, 255}, PixelFormat::Bgra32);
  Bytes ico = test::WriteIco({{&good, 32}, {&bad, 32}});
  // The second entry's data: cut its colour rows short by lying about its size.
  const std::size_t entry = 6 + 16;
  ico[entry + 8] = 40, ico[entry + 9] = ico[entry + 10] = ico[entry + 11] = 0;
  EXPECT_EQ(DecodeIco(ico, FakePng).Width(), 16);
}

TEST(IcoReaderTest, DirectoryPointingOutsideTheFileIsRefused) {
  Bytes ico = {0, 0, 1, 0, 1, 0, 16, 16, 0, 0, 1, 0, 32, 0, 0xFF, 0xFF, 0, 0, 0xFF, 0xFF, 0xFF, 0x7F};
  EXPECT_THROW(DecodeIco(ico, FakePng), IcoError);
  EXPECT_FALSE(LooksLikeIco(Bytes{0, 0, 1, 0, 0, 0}));
}

}  // namespace
}  // namespace plendo::codecs
