#include "imaging/Resampler.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "imaging/ResampleWeights.h"

namespace plendo::imaging {
namespace {

using platform::Bitmap;
using platform::PixelFormat;

// One Bgra32 row as floats 0..255, colours premultiplied by alpha.
void LoadPremultipliedRow(const std::uint8_t* src, int count, float* out) {
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

// Output row = sum of weighted source rows, one flat loop per row so that it
// vectorises; blocks keep the running sums in the first-level cache.
template <class Sample>
void VerticalPass(const Sample* const* rows, const float* weights, int taps, std::size_t length, float* out) {
  constexpr std::size_t kBlock = 2048;
  for (std::size_t begin = 0; begin < length; begin += kBlock) {
    const std::size_t end = std::min(length, begin + kBlock);
    std::fill(out + begin, out + end, 0.0f);
    for (int k = 0; k < taps; ++k) {
      const float w = weights[k];
      const Sample* r = rows[k];
      for (std::size_t i = begin; i < end; ++i) out[i] += w * static_cast<float>(r[i]);
    }
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

bool FullyOpaque(const Bitmap& source, const SourceRect& from) {
  for (int y = from.y; y < from.y + from.height; ++y) {
    const std::uint8_t* p = source.Row(y) + static_cast<std::size_t>(from.x) * 4 + 3;
    for (int x = 0; x < from.width; ++x)
      if (p[4 * x] != 255) return false;
  }
  return true;
}

// Vertical pass first: it carries most of the work when shrinking and runs
// over whole rows, which vectorises best; the horizontal pass then works on
// one row per output row. Opaque sources are read straight from their bytes
// (premultiplying by an alpha of 255 changes nothing); sources with
// transparency go through a small ring of premultiplied float rows.
template <int C>
void Run(const Bitmap& source, const SourceRect& from, Bitmap& target, const AxisWeights& wx,
         const AxisWeights& wy, const GammaTable& gamma, const RowCallback& row_done) {
  const bool opaque = C == 3 || FullyOpaque(source, from);
  const int out_width = wx.Count();
  const std::size_t in_length = static_cast<std::size_t>(from.width) * C;
  const int taps = wy.taps;
  const int dst_bytes = target.Format() == PixelFormat::Bgra32 ? 4 : 3;

  std::vector<float> column(in_length);
  std::vector<float> line(static_cast<std::size_t>(out_width) * C);
  std::vector<const std::uint8_t*> byte_rows(opaque ? taps : 0);
  std::vector<float> ring(opaque ? 0 : in_length * taps);
  std::vector<int> ring_row(opaque ? 0 : taps, -1);  // which source row each slot holds
  std::vector<const float*> float_rows(opaque ? 0 : taps);

  for (int j = 0; j < wy.Count(); ++j) {
    const int first = wy.first[j];
    const float* weights = wy.weights.data() + static_cast<std::size_t>(j) * taps;
    if (opaque) {
      for (int k = 0; k < taps; ++k)
        byte_rows[k] = source.Row(from.y + first + k) + static_cast<std::size_t>(from.x) * C;
      VerticalPass(byte_rows.data(), weights, taps, in_length, column.data());
    } else {
      for (int k = 0; k < taps; ++k) {
        const int r = first + k;
        const int slot = r % taps;
        float* stored = ring.data() + in_length * slot;
        if (ring_row[slot] != r) {
          LoadPremultipliedRow(source.Row(from.y + r) + static_cast<std::size_t>(from.x) * 4, from.width, stored);
          ring_row[slot] = r;
        }
        float_rows[k] = stored;
      }
      VerticalPass(float_rows.data(), weights, taps, in_length, column.data());
    }
    HorizontalPass<C>(column.data(), wx, line.data());
    ComposeRow<C>(line.data(), wx.coverage.data(), wy.coverage[j],
                  target.Row(wy.begin + j) + static_cast<std::size_t>(wx.begin) * dst_bytes, dst_bytes, out_width,
                  gamma);
    if (row_done) row_done(wy.begin + j);
  }
}

}  // namespace

bool DrawResampled(const Bitmap& source, const SourceRect& from, Bitmap& target, const DestRect& dest,
                   const GammaTable& gamma, const RowCallback& row_done) {
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
  // Rows outside the drawn band are final from the start.
  const auto report = [&](int begin, int end) {
    if (row_done)
      for (int y = begin; y < end; ++y) row_done(y);
  };
  if (wx.Count() == 0 || wy.Count() == 0) {  // nothing falls on the target
    report(0, target.Height());
    return true;
  }
  report(0, wy.begin);
  if (sf == PixelFormat::Bgr24)
    Run<3>(source, from, target, wx, wy, gamma, row_done);
  else
    Run<4>(source, from, target, wx, wy, gamma, row_done);
  report(wy.begin + wy.Count(), target.Height());
  return true;
}

}  // namespace plendo::imaging
