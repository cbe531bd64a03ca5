#pragma once
// The metafiles of tests/data/metafiles and what the tests do with them.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "codecs/Metafile.h"
#include "platform/Bitmap.h"
#include "support/TestFiles.h"

namespace plendo::test {

inline std::filesystem::path MetafilePath(const std::string& name) {
  return std::filesystem::path(PLENDO_TESTDATA) / "metafiles" / name;
}

// A missing file fails the test; it never skips.
inline Bytes ReadMetafile(const std::string& name) {
  const auto path = MetafilePath(name);
  EXPECT_TRUE(std::filesystem::is_regular_file(path)) << path;
  return std::filesystem::is_regular_file(path) ? ReadBytes(path) : Bytes{};
}

inline platform::Bitmap DrawOnWhite(const Bytes& bytes, int width, int height) {
  platform::Bitmap b(width, height, platform::PixelFormat::Bgr24);
  b.Fill(0xFF);
  codecs::DrawMetafile(bytes, b, width, height);
  return b;
}

inline std::size_t NonWhitePixels(const platform::Bitmap& b) {
  std::size_t n = 0;
  for (int y = 0; y < b.Height(); ++y)
    for (int x = 0; x < b.Width(); ++x) {
      const std::uint8_t* p = b.Row(y) + 3 * x;
      n += p[0] < 250 || p[1] < 250 || p[2] < 250;
    }
  return n;
}

// Mean absolute difference over every channel of two same-sized pictures.
inline double MeanDifference(const platform::Bitmap& a, const platform::Bitmap& b) {
  double sum = 0;
  for (int y = 0; y < a.Height(); ++y)
    for (int x = 0; x < a.Width(); ++x) {
      const platform::Rgba p = a.PixelAt(x, y), q = b.PixelAt(x, y);
      sum += std::abs(p.r - q.r) + std::abs(p.g - q.g) + std::abs(p.b - q.b);
    }
  return sum / (3.0 * a.Width() * a.Height());
}

// Plays the bytes; true when they drew, false for a clean MetafileError.
// Any other exception fails the test.
inline bool DrawsOrRefusesCleanly(const Bytes& bytes, int side = 48) {
  try {
    platform::Bitmap b(side, side, platform::PixelFormat::Bgr24);
    codecs::DrawMetafile(bytes, b, side, side);
    return true;
  } catch (const codecs::MetafileError&) {
    return false;
  }
}

}  // namespace plendo::test
