#pragma once
// JPEG files for the preview suites, over the shared test-image writers.
#include <cstdint>
#include <stdexcept>
#include <vector>

#include "support/TestImages.h"

namespace plendo::test {

inline Bytes SolidJpeg(int width, int height, Rgba colour, bool progressive = false) {
  JpegOptions options;
  options.progressive = progressive;
  return WriteJpeg(MakeFlat(width, height, colour), options);
}

// Rewrites the frame size in the first SOF0/SOF2 marker: a header that loads
// and image data that cannot match it.
inline void PatchJpegSize(Bytes& jpeg, int width, int height) {
  for (std::size_t i = 0; i + 9 < jpeg.size(); ++i) {
    if (jpeg[i] == 0xFF && (jpeg[i + 1] == 0xC0 || jpeg[i + 1] == 0xC2)) {
      jpeg[i + 5] = static_cast<std::uint8_t>(height >> 8);
      jpeg[i + 6] = static_cast<std::uint8_t>(height);
      jpeg[i + 7] = static_cast<std::uint8_t>(width >> 8);
      jpeg[i + 8] = static_cast<std::uint8_t>(width);
      return;
    }
  }
  throw std::logic_error("no frame header");
}

}  // namespace plendo::test
