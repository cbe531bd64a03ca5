#include "engine/SharpenFilter.h"

#include <algorithm>
#include <bit>
#include <stdexcept>
#include <utility>

#include "platform/VectorClones.h"

namespace plendo::engine {
namespace {

using platform::Bitmap;
using platform::PixelFormat;

inline std::uint8_t Clamp(int v) { return static_cast<std::uint8_t>(std::min(std::max(v, 0), 255)); }

// Division truncating toward zero, as C++ `/` does. For the engine's power of
// two divisors a shift does it without a divide per channel, and lets the row
// loop vectorise.
struct DivideBy {
  int divisor;
  int operator()(int sum) const { return sum / divisor; }
};
template <class Sum>
struct ShiftBy {
  int shift;
  Sum round_up;  // divisor - 1, added to negative sums so the shift truncates toward zero
  Sum operator()(Sum sum) const { return static_cast<Sum>(static_cast<Sum>(sum + (sum < 0 ? round_up : 0)) >> shift); }
};

struct Weights {
  int k0, k1, k2, k3, k4, k5, k6, k7, k8;
};

// Inside a row each byte's neighbours are 3 bytes away whatever its channel,
// so one flat loop over the bytes does all three channels. `Sum` is the
// narrowest type no sum of this kernel overflows: 16 bits for the engine's
// kernels, which doubles the lanes per vector.
template <class Sum, class Divide>
inline __attribute__((always_inline)) void InteriorBytes(const std::uint8_t* __restrict up,
                                                         const std::uint8_t* __restrict mid,
                                                         const std::uint8_t* __restrict down,
                                                         std::uint8_t* __restrict out, int begin, int end,
                                                         const Weights& k, Divide divide, int bias) {
  const Sum k0 = static_cast<Sum>(k.k0), k1 = static_cast<Sum>(k.k1), k2 = static_cast<Sum>(k.k2),
            k3 = static_cast<Sum>(k.k3), k4 = static_cast<Sum>(k.k4), k5 = static_cast<Sum>(k.k5),
            k6 = static_cast<Sum>(k.k6), k7 = static_cast<Sum>(k.k7), k8 = static_cast<Sum>(k.k8);
  const Sum b = static_cast<Sum>(bias);
  for (int i = begin; i < end; ++i) {
    const Sum sum = static_cast<Sum>(k0 * up[i - 3] + k1 * up[i] + k2 * up[i + 3] + k3 * mid[i - 3] + k4 * mid[i] +
                                     k5 * mid[i + 3] + k6 * down[i - 3] + k7 * down[i] + k8 * down[i + 3]);
    const Sum v = static_cast<Sum>(divide(sum) + b);
    out[i] = static_cast<std::uint8_t>(std::min<Sum>(std::max<Sum>(v, 0), 255));
  }
}

PLENDO_VECTOR_CLONES void InteriorShift16(const std::uint8_t* up, const std::uint8_t* mid, const std::uint8_t* down,
                                          std::uint8_t* out, int begin, int end, const Weights& k,
                                          ShiftBy<std::int16_t> divide, int bias) {
  InteriorBytes<std::int16_t>(up, mid, down, out, begin, end, k, divide, bias);
}

PLENDO_VECTOR_CLONES void InteriorShift32(const std::uint8_t* up, const std::uint8_t* mid, const std::uint8_t* down,
                                          std::uint8_t* out, int begin, int end, const Weights& k,
                                          ShiftBy<int> divide, int bias) {
  InteriorBytes<int>(up, mid, down, out, begin, end, k, divide, bias);
}

void InteriorDivide(const std::uint8_t* up, const std::uint8_t* mid, const std::uint8_t* down, std::uint8_t* out,
                    int begin, int end, const Weights& k, DivideBy divide, int bias) {
  InteriorBytes<int>(up, mid, down, out, begin, end, k, divide, bias);
}

// The first and last pixel of a row read their replicated neighbour.
template <class Divide>
void EdgePixel(const std::uint8_t* up, const std::uint8_t* mid, const std::uint8_t* down, std::uint8_t* out,
               int x, int width, const Weights& k, Divide divide, int bias) {
  const int l = std::max(x - 1, 0) * 3, c = x * 3, r = std::min(x + 1, width - 1) * 3;
  for (int ch = 0; ch < 3; ++ch) {
    const int sum = k.k0 * up[l + ch] + k.k1 * up[c + ch] + k.k2 * up[r + ch] + k.k3 * mid[l + ch] +
                    k.k4 * mid[c + ch] + k.k5 * mid[r + ch] + k.k6 * down[l + ch] + k.k7 * down[c + ch] +
                    k.k8 * down[r + ch];
    out[c + ch] = Clamp(divide(sum) + bias);
  }
}

}  // namespace

std::uint8_t ClampByte(int value) { return Clamp(value); }

void Make24BitPair(Bitmap& source, Bitmap& target) {
  if (source.Format() != PixelFormat::Bgr24) source = platform::ConvertToBgr24(source);
  target = Bitmap(source.Width(), source.Height(), PixelFormat::Bgr24);
}

Bitmap Convolve3x3(Bitmap bitmap, const Kernel3x3& kernel, std::uint8_t divisor, std::uint8_t bias) {
  if (bitmap.Format() != PixelFormat::Bgr24) bitmap = platform::ConvertToBgr24(bitmap);
  RowSharpener sharpener(bitmap, kernel, divisor, bias);
  sharpener.Finish();
  return bitmap;
}

RowSharpener::RowSharpener(Bitmap& bitmap, const Kernel3x3& kernel, std::uint8_t divisor, std::uint8_t bias)
    : bitmap_(bitmap), kernel_(kernel), divisor_(divisor == 0 ? 1 : divisor), bias_(bias) {
  if (bitmap.Format() != PixelFormat::Bgr24) throw std::invalid_argument("RowSharpener needs a Bgr24 bitmap");
  const auto bytes = static_cast<std::size_t>(bitmap.Width()) * 3;
  above_.resize(bytes);
  row_.resize(bytes);
}

void RowSharpener::RowReady(int y) {
  // Row r is due once row r + 1 is final; the last row once it is final itself.
  const int due = y >= bitmap_.Height() - 1 ? bitmap_.Height() : y;
  while (done_ < due) SharpenRow(done_++);
}

void RowSharpener::Finish() {
  while (done_ < bitmap_.Height()) SharpenRow(done_++);
}

void RowSharpener::SharpenRow(int y) {
  const int width = bitmap_.Width();
  if (width == 0) return;
  std::uint8_t* out = bitmap_.Row(y);
  std::copy_n(out, row_.size(), row_.data());
  const std::uint8_t* mid = row_.data();
  const std::uint8_t* up = y == 0 ? mid : above_.data();
  const std::uint8_t* down = y + 1 < bitmap_.Height() ? bitmap_.Row(y + 1) : mid;
  const Weights k{kernel_[0], kernel_[1], kernel_[2], kernel_[3], kernel_[4],
                  kernel_[5], kernel_[6], kernel_[7], kernel_[8]};

  // The extremes a sum can reach, and the bias on top, decide whether 16
  // bits hold every step.
  int most = 0, least = 0;
  for (int w : kernel_) (w > 0 ? most : least) += 255 * w;
  const bool narrow = most + 255 <= 32767 && least >= -32768;
  const int end = 3 * (width - 1);
  if (std::has_single_bit(static_cast<unsigned>(divisor_))) {
    const int shift = std::countr_zero(static_cast<unsigned>(divisor_));
    const ShiftBy<int> divide{shift, divisor_ - 1};
    if (narrow)
      InteriorShift16(up, mid, down, out, 3, end, k,
                      ShiftBy<std::int16_t>{shift, static_cast<std::int16_t>(divisor_ - 1)}, bias_);
    else
      InteriorShift32(up, mid, down, out, 3, end, k, divide, bias_);
    for (int x : {0, width - 1}) EdgePixel(up, mid, down, out, x, width, k, divide, bias_);
  } else {
    const DivideBy divide{divisor_};
    InteriorDivide(up, mid, down, out, 3, end, k, divide, bias_);
    for (int x : {0, width - 1}) EdgePixel(up, mid, down, out, x, width, k, divide, bias_);
  }
  std::swap(above_, row_);
}

}  // namespace plendo::engine
