// What a TIFF says about its pixels beyond their values: where its rows
// belong (Orientation) and which colours they mean (CIELab).
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include <tiffio.h>

#include "imaging/ImageDecoder.h"
#include "support/TempDir.h"
#include "support/TestFiles.h"
#include "support/TestImages.h"

namespace plendo::imaging {
namespace {

using platform::Bitmap;
using platform::PixelFormat;
using platform::Rgba;
using namespace plendo::test;

Rgba ColourOf(char letter) {
  const int i = letter - 'A';
  return {static_cast<std::uint8_t>(40 * i), static_cast<std::uint8_t>(250 - 40 * i), 100, 255};
}

// Rows of letters, one distinct colour per letter, rows joined by '/'.
Bitmap FromLetters(const std::string& rows) {
  const int width = static_cast<int>(rows.find('/'));
  const int height = static_cast<int>(rows.size() + 1) / (width + 1);
  Bitmap b(width, height, PixelFormat::Bgr24);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      const Rgba c = ColourOf(rows[static_cast<std::size_t>(y * (width + 1) + x)]);
      std::uint8_t* p = b.Row(y) + 3 * x;
      p[0] = c.b, p[1] = c.g, p[2] = c.r;
    }
  return b;
}

std::string ToLetters(const Bitmap& b) {
  std::string rows;
  for (int y = 0; y < b.Height(); ++y) {
    if (y > 0) rows += '/';
    for (int x = 0; x < b.Width(); ++x) {
      char letter = '?';
      for (char c = 'A'; c <= 'F'; ++c)
        if (b.PixelAt(x, y) == ColourOf(c)) letter = c;
      rows += letter;
    }
  }
  return rows;
}

struct OrientationCase {
  int orientation;
  const char* upright;  // the stored ABC/DEF as it is meant to be seen
  bool tiled;           // deflated tiles instead of plain strips
  friend void PrintTo(const OrientationCase& c, std::ostream* os) { *os << c.orientation << " " << c.upright; }
};

class TiffOrientation : public ::testing::TestWithParam<OrientationCase> {};

TEST_P(TiffOrientation, ThePictureComesOutUpright) {
  const Bytes tiff = WriteTiff(FromLetters("ABC/DEF"), {.compressed = GetParam().tiled, .tiled = GetParam().tiled, .orientation = GetParam().orientation});
  EXPECT_EQ(ToLetters(DecodeImage(tiff)), GetParam().upright);
}

INSTANTIATE_TEST_SUITE_P(Tags, TiffOrientation,
                         ::testing::Values(OrientationCase{1, "ABC/DEF", false}, OrientationCase{2, "CBA/FED", false},
                                           OrientationCase{3, "FED/CBA", false}, OrientationCase{4, "DEF/ABC", false},
                                           OrientationCase{5, "AD/BE/CF", false}, OrientationCase{6, "DA/EB/FC", false},
                                           OrientationCase{7, "FC/EB/DA", false}, OrientationCase{8, "CF/BE/AD", false},
                                           OrientationCase{1, "ABC/DEF", true}, OrientationCase{6, "DA/EB/FC", true}, OrientationCase{7, "FC/EB/DA", true}),
                         [](const auto& info) {
                           return "o" + std::to_string(info.param.orientation) + (info.param.tiled ? "_tiled" : "");
                         });

// One Lab colour as a TIFF of the given encoding: L* as 0..255, a* and b*
// as signed bytes (CIELab) or offset by 128 (ICCLab).
Rgba DecodedLab(TiffKind kind, int l, int a, int b) {
  const int offset = kind == TiffKind::IccLab ? 128 : 0;
  const Rgba samples{static_cast<std::uint8_t>(l), static_cast<std::uint8_t>(a + offset),
                     static_cast<std::uint8_t>(b + offset), 255};
  return DecodeImage(WriteTiff(MakeFlat(2, 2, samples), {.kind = kind})).PixelAt(1, 1);
}

struct LabCase {
  const char* name;
  int l;
  Rgba srgb;
};

TEST(TiffLab, NeutralsComeOutNeutralInBothEncodings) {
  // L* 50 is sRGB 119 (118.4 to 119.5 for the bytes around it).
  const LabCase cases[] = {{"white", 255, {255, 255, 255, 255}}, {"black", 0, {0, 0, 0, 255}},
                           {"mid grey", 128, {119, 119, 119, 255}}};
  for (const TiffKind kind : {TiffKind::Lab, TiffKind::IccLab})
    for (const LabCase& c : cases) {
      SCOPED_TRACE(std::string(c.name) + (kind == TiffKind::Lab ? " CIELab" : " ICCLab"));
      const Rgba out = DecodedLab(kind, c.l, 0, 0);
      EXPECT_LE(MaxChannelDifference(MakeFlat(1, 1, out), MakeFlat(1, 1, c.srgb)), 1)
          << "got " << +out.r << ", " << +out.g << ", " << +out.b;
    }
}

TEST(TiffLab, NegativeAndPositiveAxesKeepTheirSign) {
  for (const TiffKind kind : {TiffKind::Lab, TiffKind::IccLab}) {
    SCOPED_TRACE(kind == TiffKind::Lab ? "CIELab" : "ICCLab");
    const Rgba red = DecodedLab(kind, 128, 60, 0), green = DecodedLab(kind, 128, -60, 0);
    const Rgba yellow = DecodedLab(kind, 200, 0, 70), blue = DecodedLab(kind, 128, 0, -70);
    EXPECT_GT(red.r, red.g + 80);
    EXPECT_GT(green.g, green.r + 80);
    EXPECT_GT(yellow.g, yellow.b + 80);
    EXPECT_GT(blue.b, blue.g + 80);
  }
}

// ---- sample layouts libtiff's RGBA reader does not take

struct SampleLayout {
  const char* name;
  int bits, format, photometric, samples;
  std::vector<double> values;     // four pixels' samples
  std::vector<double> range;      // SMinSampleValue, SMaxSampleValue when given
  std::vector<std::uint8_t> grey; // the four pixels' expected red (grey for grey layouts)
};

// Four pixels in one row, written through libtiff: integer samples packed
// most significant bit first at their width, floating point as floats.
Bytes WriteSamples(const SampleLayout& l) {
  TempDir dir;
  const auto path = dir / "samples.tif";
  TIFF* tif = TIFFOpen(path.c_str(), "w");
  TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, 4);
  TIFFSetField(tif, TIFFTAG_IMAGELENGTH, 1);
  TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, l.bits);
  TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, l.samples);
  TIFFSetField(tif, TIFFTAG_SAMPLEFORMAT, l.format);
  TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, l.photometric);
  TIFFSetField(tif, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
  TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP, 1);
  if (!l.range.empty()) {
    TIFFSetField(tif, TIFFTAG_SMINSAMPLEVALUE, l.range[0]);
    TIFFSetField(tif, TIFFTAG_SMAXSAMPLEVALUE, l.range[1]);
  }
  Bytes row((l.values.size() * static_cast<std::size_t>(l.bits) + 7) / 8);
  for (std::size_t i = 0; i < l.values.size(); ++i) {
    if (l.format == SAMPLEFORMAT_IEEEFP) {
      const float f = static_cast<float>(l.values[i]);
      std::memcpy(row.data() + 4 * i, &f, 4);
    } else if (l.bits == 16 || l.bits == 32) {
      const auto v = static_cast<std::uint32_t>(static_cast<std::int64_t>(l.values[i]));
      std::memcpy(row.data() + i * static_cast<std::size_t>(l.bits / 8), &v, static_cast<std::size_t>(l.bits / 8));
    } else {
      const auto v = static_cast<std::uint32_t>(l.values[i]);
      for (int b = 0; b < l.bits; ++b)
        if (v >> (l.bits - 1 - b) & 1) {
          const std::size_t bit = i * static_cast<std::size_t>(l.bits) + static_cast<std::size_t>(b);
          row[bit / 8] |= static_cast<std::uint8_t>(0x80 >> (bit % 8));
        }
    }
  }
  TIFFWriteScanline(tif, row.data(), 0, 0);
  TIFFClose(tif);
  return ReadBytes(path);
}

TEST(TiffSamples, WideNarrowAndFloatingPointSamplesScaleToEightBits) {
  constexpr int kUint = SAMPLEFORMAT_UINT, kInt = SAMPLEFORMAT_INT, kFloat = SAMPLEFORMAT_IEEEFP;
  constexpr int kGrey = PHOTOMETRIC_MINISBLACK, kRgb = PHOTOMETRIC_RGB, kCmyk = PHOTOMETRIC_SEPARATED;
  const SampleLayout layouts[] = {
      {"12-bit grey", 12, kUint, kGrey, 1, {0, 4095, 2048, 1024}, {}, {0, 255, 128, 64}},
      {"float grey, the data's range", 32, kFloat, kGrey, 1, {-1, 3, 1, 0}, {}, {0, 255, 128, 64}},
      {"float grey, the file's range", 32, kFloat, kGrey, 1, {0, 1, 0.5, 2}, {0, 1}, {0, 255, 128, 255}},
      {"32-bit grey", 32, kUint, kGrey, 1, {0, 4e9, 2e9, 1e9}, {}, {0, 255, 128, 64}},
      {"signed 32-bit grey", 32, kInt, kGrey, 1, {-2e9, 2e9, 0, -1e9}, {}, {0, 255, 128, 64}},
      {"float RGB", 32, kFloat, kRgb, 3, {0, 0, 0, 4, 0, 0, 2, 0, 0, 1, 0, 0}, {}, {0, 255, 128, 64}},
      {"2-bit RGB", 2, kUint, kRgb, 3, {0, 0, 0, 3, 0, 0, 2, 0, 0, 1, 0, 0}, {}, {0, 255, 170, 85}},
      {"4-bit RGB", 4, kUint, kRgb, 3, {0, 0, 0, 15, 0, 0, 8, 0, 0, 4, 0, 0}, {}, {0, 255, 136, 68}},
      {"16-bit CMYK", 16, kUint, kCmyk, 4, {65535, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 65535, 0, 0, 0, 32768}, {},
       {0, 255, 0, 127}},
  };
  for (const SampleLayout& l : layouts) {
    SCOPED_TRACE(l.name);
    Bitmap b;
    ASSERT_NO_THROW(b = DecodeImage(WriteSamples(l)));
    ASSERT_EQ(b.Width(), 4);
    for (int x = 0; x < 4; ++x) EXPECT_NEAR(b.PixelAt(x, 0).r, l.grey[static_cast<std::size_t>(x)], 1) << x;
  }
}

}  // namespace
}  // namespace plendo::imaging
