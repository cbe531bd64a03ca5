#pragma once
// The HEIF, AVIF, WebP and JPEG XL files of tests/photos (made once by its
// make_photos.sh with the encoders Debian ships), and the measure their
// decodes are compared with. Suites that include this define PLENDO_PHOTOS.
#include <cmath>
#include <filesystem>
#include <limits>
#include <string>

#include "platform/Bitmap.h"
#include "support/TestFiles.h"

namespace plendo::test {

inline std::filesystem::path PhotoPath(const std::string& name) { return std::filesystem::path(PLENDO_PHOTOS) / name; }
inline Bytes ReadPhoto(const std::string& name) { return ReadBytes(PhotoPath(name)); }
// "heic_colour.heic" as a test name: "heic_colour_heic".
inline std::string PhotoTestName(std::string name) {
  for (char& c : name)
    if (c == '.') c = '_';
  return name;
}

// Peak signal-to-noise ratio in dB over the colour channels, and alpha when
// both have it; infinity for equal pictures, -1 when the sizes differ.
inline double Psnr(const platform::Bitmap& a, const platform::Bitmap& b) {
  if (a.Width() != b.Width() || a.Height() != b.Height() || a.Empty()) return -1;
  const bool alpha = a.Format() == platform::PixelFormat::Bgra32 && b.Format() == platform::PixelFormat::Bgra32;
  double squares = 0;
  for (int y = 0; y < a.Height(); ++y)
    for (int x = 0; x < a.Width(); ++x) {
      const platform::Rgba p = a.PixelAt(x, y), q = b.PixelAt(x, y);
      const int d[] = {p.r - q.r, p.g - q.g, p.b - q.b, alpha ? p.a - q.a : 0};
      for (const int v : d) squares += v * v;
    }
  const double mean = squares / (static_cast<double>(a.Width()) * a.Height() * (alpha ? 4 : 3));
  return mean == 0 ? std::numeric_limits<double>::infinity() : 10 * std::log10(255.0 * 255.0 / mean);
}

}  // namespace plendo::test
