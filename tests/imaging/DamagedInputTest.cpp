// Damaged, truncated and hostile sources: every decoder gives a picture or an
// error, never a crash, a hang or an allocation beyond the pixel limit. Run
// under the sanitizers too (make asan).
#include <gtest/gtest.h>

#include <functional>
#include <random>
#include <string>

#include "imaging/ImageDecoder.h"
#include "platform/BitmapError.h"
#include "support/TestImages.h"

namespace plendo::imaging {
namespace {

using platform::Bitmap;
using platform::Rgba;
using namespace plendo::test;

struct Source {
  std::string name;
  std::function<test::Bytes()> make;
  // An RLE bitmap may rightly claim a large picture from a few bytes (runs
  // and skips), so a damaged size there costs a buffer up to the pixel limit;
  // fewer rounds keep the suite quick.
  int damage_rounds = 300;
  friend void PrintTo(const Source& s, std::ostream* os) { *os << s.name; }
};

Bitmap Picture() { return MakePatches(29, 17); }
Bitmap Clear() {
  Bitmap b = MakeGradient(29, 17, true);
  for (int x = 0; x < 29; ++x) b.Row(3)[4 * x + 3] = 0;
  return b;
}

const Source kSources[] = {
    {"jpeg", [] { return WriteJpeg(Picture()); }},
    {"jpeg_progressive", [] { return WriteJpeg(Picture(), {.progressive = true}); }},
    {"jpeg_cmyk", [] { return WriteJpeg(Picture(), {.cmyk = true}); }},
    {"png", [] { return WritePng(Clear()); }},
    {"png_interlaced16", [] { return WritePng(Clear(), {.bit_depth = 16, .interlaced = true}); }},
    {"png_palette", [] { return WritePng(Picture(), {.bit_depth = 4, .palette = true}); }},
    {"gif", [] { return WriteGif(Picture(), {.screen_width = 40, .screen_height = 30, .left = 3, .top = 5}); }},
    {"gif_interlaced", [] { return WriteGif(Picture(), {.interlaced = true}); }},
    {"tiff", [] { return WriteTiff(Picture()); }},
    {"tiff_deflate_tiled", [] { return WriteTiff(Picture(), {.compressed = true, .tiled = true}); }},
    {"tiff_jpeg", [] { return WriteTiff(Picture(), {.kind = TiffKind::YCbCrJpeg}); }},
    {"bmp24", [] { return WriteBmp(Picture()); }},
    {"bmp32_alpha", [] { return WriteBmp(Clear(), {.bits = 32, .v5_alpha = true}); }},
    {"bmp8_rle", [] { return WriteBmp(Picture(), {.bits = 8, .rle = true}); }, 40},
    {"bmp4_rle", [] { return WriteBmp(Picture(), {.bits = 4, .rle = true}); }, 40},
    {"bmp1", [] { return WriteBmp(MakeCheckerboard(29, 17, 3, {0, 0, 0, 255}, {255, 255, 255, 255}), {.bits = 1}); }},
    {"ico", [] {
       const Bitmap small = Clear(), big = MakeGradient(48, 48, true);
       return WriteIco({{&small, 8}, {&big, 32}, {&small, 32, true}});
     }},
};

// A decode that succeeds must give a sane picture.
void DecodeSafely(const test::Bytes& bytes) {
  try {
    const Bitmap b = DecodeImage(bytes);
    EXPECT_FALSE(b.Empty());
  } catch (const Exception&) {
  } catch (const std::bad_alloc&) {
    ADD_FAILURE() << "allocation failed";
  }
}

class DamagedInputTest : public ::testing::TestWithParam<Source> {};

TEST_P(DamagedInputTest, IntactFileDecodes) { EXPECT_FALSE(DecodeImage(GetParam().make()).Empty()); }

TEST_P(DamagedInputTest, CutAtAnyPointNeverCrashes) {
  const test::Bytes whole = GetParam().make();
  // Every length in the header region, then a spread through the data.
  for (std::size_t length = 0; length < whole.size(); length += (length < 200 ? 1 : whole.size() / 50 + 1))
    DecodeSafely(test::Bytes(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(length)));
}

TEST_P(DamagedInputTest, RandomDamageNeverCrashes) {
  const test::Bytes whole = GetParam().make();
  std::mt19937 random(12345);
  for (int round = 0; round < GetParam().damage_rounds; ++round) {
    test::Bytes damaged = whole;
    const int hits = 1 + static_cast<int>(random() % 8);
    for (int i = 0; i < hits; ++i) {
      // Half the hits land in the first 64 bytes, where the headers are.
      const std::size_t span = (i % 2 == 0) ? std::min<std::size_t>(64, damaged.size()) : damaged.size();
      damaged[random() % span] = static_cast<std::uint8_t>(random());
    }
    DecodeSafely(damaged);
  }
}

INSTANTIATE_TEST_SUITE_P(Formats, DamagedInputTest, ::testing::ValuesIn(kSources),
                         [](const auto& info) { return info.param.name; });

void PutBigEndian32(test::Bytes& b, std::size_t at, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) b[at + i] = static_cast<std::uint8_t>(v >> (24 - 8 * i));
}
void PutLittle32(test::Bytes& b, std::size_t at, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) b[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
}

// Headers that claim an absurd size are refused before pixel memory is
// taken (the decoders' limit is the bitmap's 1 GiB).
TEST(AbsurdSizeTest, HugeClaimsAreRefused) {
  const Bitmap small = MakePatches(8, 8);
  std::vector<std::pair<std::string, test::Bytes>> cases;
  {
    test::Bytes b = WriteBmp(small);
    PutLittle32(b, 18, 60000), PutLittle32(b, 22, 60000);
    cases.emplace_back("bmp", b);
    test::Bytes rle = WriteBmp(small, {.bits = 8, .rle = true});
    PutLittle32(rle, 18, 60000), PutLittle32(rle, 22, 60000);
    cases.emplace_back("bmp_rle", rle);
  }
  {
    // IHDR width and height at 16..23; libpng checks the chunk's CRC, so the
    // claim goes in with a matching one.
    test::Bytes b = WritePng(small);
    PutBigEndian32(b, 16, 70000), PutBigEndian32(b, 20, 70000);
    std::uint32_t crc = 0xFFFFFFFFu;
    for (std::size_t i = 12; i < 29; ++i) {
      crc ^= b[i];
      for (int k = 0; k < 8; ++k) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1)));
    }
    PutBigEndian32(b, 29, ~crc);
    cases.emplace_back("png", b);
  }
  {
    test::Bytes b = WriteGif(small);
    b[6] = b[7] = b[8] = b[9] = 0xFF;  // logical screen 65535 x 65535
    cases.emplace_back("gif", b);
  }
  {
    test::Bytes b = WriteJpeg(small);
    for (std::size_t i = 2; i + 9 < b.size(); ++i)
      if (b[i] == 0xFF && b[i + 1] == 0xC0) {  // SOF0: length, precision, height, width
        b[i + 5] = b[i + 6] = b[i + 7] = b[i + 8] = 0xFF;
        break;
      }
    cases.emplace_back("jpeg", b);
  }
  for (const auto& [name, bytes] : cases) {
    SCOPED_TRACE(name);
    EXPECT_THROW(DecodeImage(bytes), Exception);
  }
}

// A size within the limit whose data could not hold a bit for each 8 x 8
// block is refused, not decoded from made-up data by its whole area.
TEST(AbsurdSizeTest, PicturesFarLargerThanTheirDataAreRefused) {
  for (const bool cmyk : {false, true}) {
    test::Bytes b = WriteJpeg(MakePatches(8, 8), {.cmyk = cmyk});
    for (std::size_t i = 2; i + 9 < b.size(); ++i)
      if (b[i] == 0xFF && b[i + 1] == 0xC0) {
        b[i + 5] = b[i + 7] = 16000 >> 8, b[i + 6] = b[i + 8] = 16000 & 0xFF;
        break;
      }
    EXPECT_THROW(DecodeImage(b), Exception) << (cmyk ? "cmyk" : "ycbcr");
  }
}

}  // namespace
}  // namespace plendo::imaging
