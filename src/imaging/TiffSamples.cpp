#include "imaging/TiffSamples.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

#include "imaging/DecodeError.h"

namespace plendo::imaging {
namespace {

using platform::Bitmap;
using platform::PixelFormat;

[[noreturn]] void Fail(const char* why) { throw DecodeError(std::string("TIFF: ") + why); }

struct Layout {
  std::uint16_t bits = 1, samples = 1, format = SAMPLEFORMAT_UINT, planar = PLANARCONFIG_CONTIG, photometric = 0;
  bool alpha = false, premultiplied = false;
  bool ranged = false;  // scaled by a range rather than by the sample's full scale
};

Layout ReadLayout(TIFF* tif) {
  Layout l;
  TIFFGetFieldDefaulted(tif, TIFFTAG_BITSPERSAMPLE, &l.bits);
  TIFFGetFieldDefaulted(tif, TIFFTAG_SAMPLESPERPIXEL, &l.samples);
  TIFFGetFieldDefaulted(tif, TIFFTAG_SAMPLEFORMAT, &l.format);
  TIFFGetFieldDefaulted(tif, TIFFTAG_PLANARCONFIG, &l.planar);
  TIFFGetField(tif, TIFFTAG_PHOTOMETRIC, &l.photometric);
  std::uint16_t extra_count = 0;
  std::uint16_t* extra = nullptr;
  if (TIFFGetField(tif, TIFFTAG_EXTRASAMPLES, &extra_count, &extra) && extra_count > 0 && extra != nullptr) {
    l.alpha = extra[0] == EXTRASAMPLE_ASSOCALPHA || extra[0] == EXTRASAMPLE_UNASSALPHA;
    l.premultiplied = extra[0] == EXTRASAMPLE_ASSOCALPHA;
  }
  const bool integer = l.format == SAMPLEFORMAT_UINT || l.format == SAMPLEFORMAT_INT;
  const bool floating = l.format == SAMPLEFORMAT_IEEEFP && (l.bits == 32 || l.bits == 64);
  if (!(integer && l.bits >= 1 && l.bits <= 32) && !floating) Fail("unsupported sample format");
  l.ranged = floating || l.bits > 16 || l.format == SAMPLEFORMAT_INT;
  return l;
}

// The colour samples a pixel needs before any alpha.
std::uint16_t ColourSamples(const Layout& l) {
  switch (l.photometric) {
    case PHOTOMETRIC_MINISBLACK:
    case PHOTOMETRIC_MINISWHITE: return 1;
    case PHOTOMETRIC_RGB: return 3;
    case PHOTOMETRIC_SEPARATED: return 4;
    default: Fail("unsupported colour layout");
  }
}

// Sample `index` of a row: packed most significant bit first when narrower
// than a byte or of odd width, else in the machine's order (libtiff swaps).
double Sample(const std::uint8_t* row, std::size_t index, const Layout& l) {
  switch (l.format == SAMPLEFORMAT_IEEEFP ? l.bits + 100 : l.bits) {
    case 8: return l.format == SAMPLEFORMAT_INT ? static_cast<std::int8_t>(row[index]) : row[index];
    case 16: {
      std::uint16_t v;
      std::memcpy(&v, row + 2 * index, 2);
      return l.format == SAMPLEFORMAT_INT ? static_cast<std::int16_t>(v) : v;
    }
    case 32: {
      std::uint32_t v;
      std::memcpy(&v, row + 4 * index, 4);
      return l.format == SAMPLEFORMAT_INT ? static_cast<double>(static_cast<std::int32_t>(v)) : static_cast<double>(v);
    }
    case 132: {
      float v;
      std::memcpy(&v, row + 4 * index, 4);
      return v;
    }
    case 164: {
      double v;
      std::memcpy(&v, row + 8 * index, 8);
      return v;
    }
    default: {
      std::uint32_t v = 0;
      const std::size_t first = index * l.bits;
      for (std::size_t bit = first; bit < first + l.bits; ++bit) v = v << 1 | ((row[bit / 8] >> (7 - bit % 8)) & 1);
      if (l.format == SAMPLEFORMAT_INT && (v >> (l.bits - 1)) != 0) return static_cast<double>(v) - std::ldexp(1.0, l.bits);
      return v;
    }
  }
}

// Reads every row of every plane, handing (row, plane, bytes) on.
template <class Visit>
void EachRow(TIFF* tif, std::uint32_t height, const Layout& l, Visit visit) {
  std::vector<std::uint8_t> buffer(static_cast<std::size_t>(TIFFScanlineSize64(tif)));
  if (buffer.empty()) Fail("no rows");
  const std::uint16_t planes = l.planar == PLANARCONFIG_SEPARATE ? l.samples : 1;
  for (std::uint16_t plane = 0; plane < planes; ++plane)
    for (std::uint32_t y = 0; y < height; ++y) {
      if (TIFFReadScanline(tif, buffer.data(), y, plane) < 0) Fail("damaged image data");
      visit(y, plane, buffer.data());
    }
}

struct Range {
  double low = 0, high = 1;
};

// The file's SMinSampleValue and SMaxSampleValue, else the data's own.
Range RangeOf(TIFF* tif, std::uint32_t width, std::uint32_t height, const Layout& l, std::uint16_t colours) {
  double low = 0, high = 0;  // one value for all samples (libtiff's default reading)
  if (TIFFGetField(tif, TIFFTAG_SMINSAMPLEVALUE, &low) && TIFFGetField(tif, TIFFTAG_SMAXSAMPLEVALUE, &high) &&
      std::isfinite(low) && std::isfinite(high) && high > low)
    return {low, high};
  Range r{std::numeric_limits<double>::max(), std::numeric_limits<double>::lowest()};
  const std::uint16_t per_row = l.planar == PLANARCONFIG_SEPARATE ? 1 : l.samples;
  EachRow(tif, height, l, [&](std::uint32_t, std::uint16_t plane, const std::uint8_t* row) {
    for (std::size_t x = 0; x < width; ++x)
      for (std::uint16_t c = 0; c < per_row; ++c) {
        if ((l.planar == PLANARCONFIG_SEPARATE ? plane : c) >= colours) continue;  // alpha keeps its own scale
        const double v = Sample(row, x * per_row + c, l);
        if (std::isfinite(v)) r.low = std::min(r.low, v), r.high = std::max(r.high, v);
      }
  });
  if (r.high < r.low) return {0, 1};                // no finite sample at all
  if (r.high == r.low) return {r.low - 1, r.high};  // one flat value shows at full scale
  return r;
}

std::uint8_t Scaled(double v, const Range& r) {
  if (!std::isfinite(v)) return v > 0 ? 255 : 0;
  return static_cast<std::uint8_t>(std::lround(std::clamp((v - r.low) / (r.high - r.low), 0.0, 1.0) * 255));
}

// Samples per pixel in the picture's own order, each 0..255, into BGRA.
void ToBgra(const std::uint8_t* s, const Layout& l, std::uint8_t* p) {
  switch (l.photometric) {
    case PHOTOMETRIC_MINISBLACK: p[0] = p[1] = p[2] = s[0]; break;
    case PHOTOMETRIC_MINISWHITE: p[0] = p[1] = p[2] = static_cast<std::uint8_t>(255 - s[0]); break;
    case PHOTOMETRIC_RGB: p[0] = s[2], p[1] = s[1], p[2] = s[0]; break;
    default: {  // CMYK: what is left of each colour after its ink and the black
      const auto ink = [&](std::uint8_t c) { return static_cast<std::uint8_t>((255 - c) * (255 - s[3]) / 255); };
      p[0] = ink(s[2]), p[1] = ink(s[1]), p[2] = ink(s[0]);
    }
  }
}

}  // namespace

Bitmap ReadTiffSamples(TIFF* tif, std::uint32_t width, std::uint32_t height) {
  if (TIFFIsTiled(tif)) Fail("unsupported layout");
  const Layout l = ReadLayout(tif);
  const std::uint16_t colours = ColourSamples(l);
  if (l.samples < colours || l.samples > 8) Fail("unsupported samples per pixel");
  const bool alpha = l.alpha && l.samples > colours;
  const Range full{0, std::ldexp(1.0, l.bits) - 1};
  const Range range = l.ranged ? RangeOf(tif, width, height, l, colours) : full;
  // Alpha is a fraction: 0..1 as floating point, the full scale as integers.
  const Range alpha_range = l.format == SAMPLEFORMAT_IEEEFP ? Range{0, 1} : full;

  Bitmap out(static_cast<int>(width), static_cast<int>(height), PixelFormat::Bgra32);
  // Each pixel's samples as bytes, gathered plane by plane, then turned into
  // colours row by row.
  std::vector<std::uint8_t> samples(std::size_t{width} * height * l.samples);
  const std::uint16_t per_row = l.planar == PLANARCONFIG_SEPARATE ? 1 : l.samples;
  EachRow(tif, height, l, [&](std::uint32_t y, std::uint16_t plane, const std::uint8_t* row) {
    std::uint8_t* to = samples.data() + std::size_t{y} * width * l.samples;
    for (std::size_t x = 0; x < width; ++x)
      for (std::uint16_t c = 0; c < per_row; ++c) {
        const std::uint16_t channel = l.planar == PLANARCONFIG_SEPARATE ? plane : c;
        to[x * l.samples + channel] = Scaled(Sample(row, x * per_row + c, l), channel < colours ? range : alpha_range);
      }
  });
  for (std::uint32_t y = 0; y < height; ++y) {
    std::uint8_t* p = out.Row(static_cast<int>(y));
    const std::uint8_t* s = samples.data() + std::size_t{y} * width * l.samples;
    for (std::uint32_t x = 0; x < width; ++x, p += 4, s += l.samples) {
      ToBgra(s, l, p);
      p[3] = alpha ? s[colours] : 255;
      if (alpha && l.premultiplied && p[3] < 255)
        for (int c = 0; c < 3; ++c) p[c] = p[3] == 0 ? 0 : static_cast<std::uint8_t>(std::min(255, p[c] * 255 / p[3]));
    }
  }
  return out;
}

}  // namespace plendo::imaging
