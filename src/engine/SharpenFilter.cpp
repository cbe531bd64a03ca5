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

template <class Divide>
void ConvolveRows(const Bitmap& source, Bitmap& target, const Kernel3x3& k, Divide divide, int bias) {
  const int width = source.Width();
  const int height = source.Height();
  // Byte offsets of the left and right neighbours, replicated at the edges.
  std::vector<int> left(width), right(width);
  for (int x = 0; x < width; ++x) {
    left[x] = std::max(x - 1, 0) * 3;
    right[x] = std::min(x + 1, width - 1) * 3;
  }
  std::vector<const std::uint8_t*> rows(height);  // the row table
  for (int y = 0; y < height; ++y) rows[y] = source.Row(y);

  for (int y = 0; y < height; ++y) {
    const std::uint8_t* band[3] = {rows[std::max(y - 1, 0)], rows[y], rows[std::min(y + 1, height - 1)]};
    std::uint8_t* out = target.Row(y);
    for (int x = 0; x < width; ++x) {
      const int cols[3] = {left[x], x * 3, right[x]};
      int sum[3] = {0, 0, 0};  // blue, green, red
      for (int dy = 0; dy < 3; ++dy)
        for (int dx = 0; dx < 3; ++dx) {
          const std::uint8_t* p = band[dy] + cols[dx];
          const int w = k[dy * 3 + dx];
          sum[0] += p[0] * w;
          sum[1] += p[1] * w;
          sum[2] += p[2] * w;
        }
      for (int c = 0; c < 3; ++c) out[x * 3 + c] = ClampByte(divide(sum[c]) + bias);
    }
  }
}

}  // namespace

std::uint8_t ClampByte(int value) {
  return static_cast<std::uint8_t>(std::clamp(value, 0, 255));
}

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
