#include "engine/SharpenFilter.h"

#include <algorithm>
#include <bit>
#include <utility>
#include <vector>

namespace plendo::engine {
namespace {

using platform::Bitmap;
using platform::PixelFormat;

// Division truncating toward zero, as C++ `/` does. For the engine's power of
// two divisors a shift does it without a divide per channel.
struct DivideBy {
  int divisor;
  int operator()(int sum) const { return sum / divisor; }
};
struct ShiftBy {
  int shift;
  int round_up;  // divisor - 1, added to negative sums so the shift truncates toward zero
  int operator()(int sum) const { return (sum + ((sum >> 31) & round_up)) >> shift; }
};

inline std::uint8_t Clamp(int v) { return static_cast<std::uint8_t>(std::min(std::max(v, 0), 255)); }

template <class Divide>
void ConvolveRows(const Bitmap& source, Bitmap& target, const Kernel3x3& kernel, Divide divide, int bias) {
  const int width = source.Width();
  const int height = source.Height();
  const int k0 = kernel[0], k1 = kernel[1], k2 = kernel[2], k3 = kernel[3], k4 = kernel[4], k5 = kernel[5],
            k6 = kernel[6], k7 = kernel[7], k8 = kernel[8];
  std::vector<const std::uint8_t*> rows(height);  // the row table
  for (int y = 0; y < height; ++y) rows[y] = source.Row(y);

  for (int y = 0; y < height; ++y) {
    const std::uint8_t* up = rows[std::max(y - 1, 0)];
    const std::uint8_t* mid = rows[y];
    const std::uint8_t* down = rows[std::min(y + 1, height - 1)];
    std::uint8_t* out = target.Row(y);
    // The first and last pixel read their replicated neighbour.
    for (int x : {0, width - 1}) {
      const int l = std::max(x - 1, 0) * 3, c = x * 3, r = std::min(x + 1, width - 1) * 3;
      for (int ch = 0; ch < 3; ++ch) {
        const int sum = k0 * up[l + ch] + k1 * up[c + ch] + k2 * up[r + ch] + k3 * mid[l + ch] + k4 * mid[c + ch] +
                        k5 * mid[r + ch] + k6 * down[l + ch] + k7 * down[c + ch] + k8 * down[r + ch];
        out[c + ch] = Clamp(divide(sum) + bias);
      }
    }
    // Inside, each byte's neighbours are 3 bytes away whatever its channel,
    // so one flat loop over the row's bytes does all three channels.
    const int end = 3 * (width - 1);
    for (int i = 3; i < end; ++i) {
      const int sum = k0 * up[i - 3] + k1 * up[i] + k2 * up[i + 3] + k3 * mid[i - 3] + k4 * mid[i] +
                      k5 * mid[i + 3] + k6 * down[i - 3] + k7 * down[i] + k8 * down[i + 3];
      out[i] = Clamp(divide(sum) + bias);
    }
  }
}

}  // namespace

std::uint8_t ClampByte(int value) { return Clamp(value); }

void Make24BitPair(Bitmap& source, Bitmap& target) {
  if (source.Format() != PixelFormat::Bgr24) source = platform::ConvertToBgr24(source);
  target = Bitmap(source.Width(), source.Height(), PixelFormat::Bgr24);
}

Bitmap Convolve3x3(Bitmap bitmap, const Kernel3x3& kernel, std::uint8_t divisor, std::uint8_t bias) {
  const Kernel3x3 k = kernel;
  Bitmap source = std::move(bitmap);
  Bitmap target;
  Make24BitPair(source, target);
  if (source.Empty()) return target;
  // A divisor of 0 would divide by zero; it means "no division".
  const int d = divisor == 0 ? 1 : divisor;
  if (std::has_single_bit(static_cast<unsigned>(d)))
    ConvolveRows(source, target, k, ShiftBy{std::countr_zero(static_cast<unsigned>(d)), d - 1}, bias);
  else
    ConvolveRows(source, target, k, DivideBy{d}, bias);
  return target;
}

}  // namespace plendo::engine
