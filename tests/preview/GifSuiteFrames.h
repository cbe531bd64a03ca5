#pragma once
// The GIF suites' expected frames and how ours compare with them, for the
// decoder's suite test and the painter's.
#include <algorithm>
#include <cstddef>
#include <filesystem>
#include <vector>

#include "platform/Bitmap.h"
#include "platform/Canvas.h"
#include "preview/PngImage.h"
#include "support/TestFiles.h"

namespace plendo::preview {

// Never a colour of either suite: what no frame has covered.
inline constexpr platform::Rgba kUncovered{1, 254, 3, 255};

struct Picture {
  int width = 0, height = 0;
  std::vector<platform::Rgba> pixels;  // alpha 0: nothing shown there
};

inline Picture FromRgbaFile(const std::filesystem::path& path, int width, int height) {
  const test::Bytes bytes = test::ReadBytes(path);
  Picture p{width, height, {}};
  for (std::size_t i = 0; i + 3 < bytes.size(); i += 4)
    p.pixels.push_back({bytes[i], bytes[i + 1], bytes[i + 2], bytes[i + 3]});
  return p;
}

inline Picture FromPngFile(const std::filesystem::path& path) {
  TPNGObject png;
  png.LoadFromBytes(test::ReadBytes(path));
  Picture p{png.GetWidth(), png.GetHeight(), {}};
  for (int y = 0; y < p.height; ++y)
    for (int x = 0; x < p.width; ++x) p.pixels.push_back(png.DisplayedPixel(x, y));
  return p;
}

// How many pixels differ where both exist: a frame placed beyond the
// suite's screen grows ours, and the suite cuts that part off.
inline int Differences(const platform::Canvas& ours, const Picture& expected) {
  if (expected.pixels.size() != static_cast<std::size_t>(expected.width) * expected.height) return -1;
  int wrong = 0;
  for (int y = 0; y < std::min(ours.Height(), expected.height); ++y)
    for (int x = 0; x < std::min(ours.Width(), expected.width); ++x) {
      const platform::Rgba e = expected.pixels[static_cast<std::size_t>(y) * expected.width + x];
      wrong += ours.PixelAt(x, y) != (e.a == 0 ? kUncovered : platform::Rgba{e.r, e.g, e.b, 255});
    }
  return wrong;
}

}  // namespace plendo::preview
