#include "imaging/Resampler.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "imaging/ResampleWeights.h"

namespace plendo::imaging {
namespace {

using platform::Bitmap;
using platform::PixelFormat;

// One source row as floats 0..255; with alpha, colours premultiplied.
template <int C>
void LoadRow(const std::uint8_t* src, int count, float* out) {
  if constexpr (C == 3) {
    for (int i = 0; i < count * 3; ++i) out[i] = src[i];
  } else {
    constexpr float k = 1.0f / 255.0f;
    for (int x = 0; x < count; ++x) {
      const float a = src[4 * x + 3];
      const float f = a * k;
      out[4 * x] = src[4 * x] * f;
      out[4 * x + 1] = src[4 * x + 1] * f;
      out[4 * x + 2] = src[4 * x + 2] * f;
      out[4 * x + 3] = a;
    }
  }
}

template <int C>
void HorizontalPass(const float* in, const AxisWeights& wx, float* out) {
  const int taps = wx.taps;
  const int count = wx.Count();
  const float* weights = wx.weights.data();
  for (int i = 0; i < count; ++i) {
    const float* w = weights + static_cast<std::size_t>(i) * taps;
    const float* p = in + static_cast<std::size_t>(wx.first[i]) * C;
    float acc[C] = {};
    for (int k = 0; k < taps; ++k)
      for (int c = 0; c < C; ++c) acc[c] += w[k] * p[k * C + c];
    for (int c = 0; c < C; ++c) out[i * C + c] = acc[c];
  }
}

void VerticalPass(const float* const* rows, const float* weights, int taps, int length, float* out) {
  std::fill(out, out + length, 0.0f);
  for (int k = 0; k < taps; ++k) {
    const float w = weights[k];
    const float* r = rows[k];
    for (int i = 0; i < length; ++i) out[i] += w * r[i];
  }
}

inline int ToByte(float v) { return static_cast<int>(std::min(std::max(v, 0.0f), 255.0f) + 0.5f); }

// out = drawn colour * share + target * (1 - drawn alpha * share), where the
// share is the pixel's coverage by the destination rectangle.
template <int C>
void ComposeRow(const float* v, const float* coverage_x, float coverage_y, std::uint8_t* dst, int dst_bytes,
                int count, const GammaTable& gamma) {
  constexpr float k = 1.0f / 255.0f;
  for (int i = 0; i < count; ++i) {
    const float share = coverage_x[i] * coverage_y;
    const float alpha = C == 4 ? std::min(std::max(v[i * C + 3] * k, 0.0f), 1.0f) * share : share;
    const float keep = 1.0f - alpha;
    std::uint8_t* p = dst + static_cast<std::size_t>(i) * dst_bytes;
    for (int c = 0; c < 3; ++c) p[c] = gamma[ToByte(v[i * C + c] * share + p[c] * keep)];
    if (dst_bytes == 4) p[3] = static_cast<std::uint8_t>(ToByte(255.0f * alpha + p[3] * keep));
  }
}

template <int C>
void Run(const Bitmap& source, const SourceRect& from, Bitmap& target, const AxisWeights& wx,
         const AxisWeights& wy, const GammaTable& gamma) {
  const int out_width = wx.Count();
  const std::size_t row_length = static_cast<std::size_t>(out_width) * C;
  const int ring_size = wy.taps;
  const int dst_bytes = target.Format() == PixelFormat::Bgra32 ? 4 : 3;

  std::vector<float> line(static_cast<std::size_t>(from.width) * C);
  std::vector<float> ring(row_length * ring_size);
  std::vector<int> ring_row(ring_size, -1);  // which source row each slot holds
  std::vector<const float*> rows(ring_size);
  std::vector<float> column(row_length);

  for (int j = 0; j < wy.Count(); ++j) {
    const int first = wy.first[j];
    for (int k = 0; k < ring_size; ++k) {
      const int r = first + k;
      const int slot = r % ring_size;
      float* stored = ring.data() + row_length * slot;
      if (ring_row[slot] != r) {
        LoadRow<C>(source.Row(from.y + r) + static_cast<std::size_t>(from.x) * C, from.width, line.data());
        HorizontalPass<C>(line.data(), wx, stored);
        ring_row[slot] = r;
      }
      rows[k] = stored;
    }
    VerticalPass(rows.data(), wy.weights.data() + static_cast<std::size_t>(j) * ring_size, ring_size,
                 static_cast<int>(row_length), column.data());
    ComposeRow<C>(column.data(), wx.coverage.data(), wy.coverage[j],
                  target.Row(wy.begin + j) + static_cast<std::size_t>(wx.begin) * dst_bytes, dst_bytes, out_width,
                  gamma);
  }
}

}  // namespace

bool DrawResampled(const Bitmap& source, const SourceRect& from, Bitmap& target, const DestRect& dest,
                   const GammaTable& gamma) {
  const PixelFormat sf = source.Format();
  const PixelFormat tf = target.Format();
  if ((sf != PixelFormat::Bgr24 && sf != PixelFormat::Bgra32) || (tf != PixelFormat::Bgr24 && tf != PixelFormat::Bgra32))
    return false;
  if (from.width <= 0 || from.height <= 0 || from.x < 0 || from.y < 0 || from.x > source.Width() - from.width ||
      from.y > source.Height() - from.height)
    return false;
  if (!(dest.width > 0.0) || !(dest.height > 0.0) || !std::isfinite(dest.x) || !std::isfinite(dest.y) ||
      !std::isfinite(dest.width) || !std::isfinite(dest.height))
    return false;
  const AxisWeights wx = MakeAxisWeights(from.width, dest.x, dest.width, target.Width());
  const AxisWeights wy = MakeAxisWeights(from.height, dest.y, dest.height, target.Height());
  if (wx.Count() == 0 || wy.Count() == 0) return true;  // nothing falls on the target
  if (sf == PixelFormat::Bgr24)
    Run<3>(source, from, target, wx, wy, gamma);
  else
    Run<4>(source, from, target, wx, wy, gamma);
  return true;
}

}  // namespace plendo::imaging
