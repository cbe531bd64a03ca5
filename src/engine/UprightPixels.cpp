#include "engine/UprightPixels.h"

#include <cstring>

namespace plendo::engine {

platform::Bitmap TurnUpright(const platform::Bitmap& bitmap, int orientation) {
  if (orientation < 2 || orientation > 8) return bitmap.Clone();
  const int w = bitmap.Width(), h = bitmap.Height();
  const bool swap = orientation >= 5;
  platform::Bitmap out(swap ? h : w, swap ? w : h, bitmap.Format());
  const std::size_t bytes = bitmap.Format() == platform::PixelFormat::Bgra32 ? 4 : 3;
  for (int y = 0; y < out.Height(); ++y) {
    std::uint8_t* row = out.Row(y);
    for (int x = 0; x < out.Width(); ++x) {
      // The stored pixel that shows at (x, y).
      int sx = x, sy = y;
      switch (orientation) {
        case 2: sx = w - 1 - x; break;
        case 3: sx = w - 1 - x, sy = h - 1 - y; break;
        case 4: sy = h - 1 - y; break;
        case 5: sx = y, sy = x; break;
        case 6: sx = y, sy = h - 1 - x; break;
        case 7: sx = w - 1 - y, sy = h - 1 - x; break;
        case 8: sx = w - 1 - y, sy = x; break;
      }
      std::memcpy(row + static_cast<std::size_t>(x) * bytes, bitmap.Row(sy) + static_cast<std::size_t>(sx) * bytes,
                  bytes);
    }
  }
  return out;
}

}  // namespace plendo::engine
