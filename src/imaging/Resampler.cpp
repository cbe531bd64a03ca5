#include "imaging/Resampler.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <functional>
#include <utility>
#include <vector>

#include "imaging/ResampleWeights.h"
#include "platform/VectorClones.h"

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

using Floats4 = float __attribute__((vector_size(16)));

inline Floats4 Load4(const float* p) {
  Floats4 f;
  std::memcpy(&f, p, sizeof f);
  return f;
}

// Each output pixel sums `taps` source pixels, all channels at once: the
// pixel's channels are loaded as one group of four floats (for 3-channel rows
// the fourth is the next pixel's blue, summed and dropped), so the loop is
// one multiply-add per tap. Even and odd taps add into separate sums so that
// consecutive multiply-adds do not wait on each other. `in` has at least one
// float beyond its last pixel, and so has `out`.
template <int C>
inline __attribute__((always_inline)) void HorizontalPixels(const float* __restrict in, const AxisWeights& wx,
                                                            float* __restrict out) {
  const int taps = wx.taps;
  const int count = wx.Count();
  const float* weights = wx.weights.data();
  const int* first = wx.first.data();
  for (int i = 0; i < count; ++i) {
    const float* w = weights + static_cast<std::size_t>(i) * taps;
    const float* p = in + static_cast<std::size_t>(first[i]) * C;
    Floats4 even{}, odd{};
    int k = 0;
    for (; k + 1 < taps; k += 2) {
      even += w[k] * Load4(p + k * C);
      odd += w[k + 1] * Load4(p + (k + 1) * C);
    }
    if (k < taps) even += w[k] * Load4(p + k * C);
    const Floats4 sum = even + odd;
    std::memcpy(out + static_cast<std::size_t>(i) * C, &sum, sizeof sum);
  }
}

PLENDO_VECTOR_CLONES void HorizontalPass3(const float* in, const AxisWeights& wx, float* out) {
  HorizontalPixels<3>(in, wx, out);
}

PLENDO_VECTOR_CLONES void HorizontalPass4(const float* in, const AxisWeights& wx, float* out) {
  HorizontalPixels<4>(in, wx, out);
}

// Eight floats in one register where the machine has them; elsewhere the
// compiler splits them.
using Floats8 = float __attribute__((vector_size(32)));

// Output row = sum of weighted source rows. The row is taken in strips of 32
// values whose running sums stay in registers while the taps add to them, so
// each source value is loaded once. At most kTapGroup rows are walked at a
// time, few enough for the hardware prefetchers to follow; a strong
// reduction takes several groups, each adding to what the last one stored.
// The bytes are widened through a small float array: the compiler widens a
// plain loop with a few vector instructions, vector elements one at a time.
constexpr int kTapGroup = 16;

// Running sums of one strip of 32 values, in four registers.
struct Strip {
  Floats8 a0{}, a1{}, a2{}, a3{};

  inline __attribute__((always_inline)) void Load(const float* from) {
    std::memcpy(&a0, from, sizeof a0);
    std::memcpy(&a1, from + 8, sizeof a1);
    std::memcpy(&a2, from + 16, sizeof a2);
    std::memcpy(&a3, from + 24, sizeof a3);
  }
  inline __attribute__((always_inline)) void AddWeighted(const float* values, float w) {
    Strip v;
    v.Load(values);
    a0 += w * v.a0;
    a1 += w * v.a1;
    a2 += w * v.a2;
    a3 += w * v.a3;
  }
  inline __attribute__((always_inline)) void Store(float* to) const {
    std::memcpy(to, &a0, sizeof a0);
    std::memcpy(to + 8, &a1, sizeof a1);
    std::memcpy(to + 16, &a2, sizeof a2);
    std::memcpy(to + 24, &a3, sizeof a3);
  }
};

inline __attribute__((always_inline)) void VerticalStrips(const std::uint8_t* const* rows, const float* weights,
                                                          int taps, std::size_t length, float* __restrict out) {
  for (int g = 0; g < taps; g += kTapGroup) {
    const int g_end = std::min(taps, g + kTapGroup);
    std::size_t i = 0;
    for (; i + 32 <= length; i += 32) {
      Strip sums;
      if (g > 0) sums.Load(out + i);
      for (int k = g; k < g_end; ++k) {
        const std::uint8_t* r = rows[k] + i;
        float strip[32];
        for (int j = 0; j < 32; ++j) strip[j] = static_cast<float>(r[j]);
        sums.AddWeighted(strip, weights[k]);
      }
      sums.Store(out + i);
    }
    for (; i < length; ++i) {
      float acc = g > 0 ? out[i] : 0.0f;
      for (int k = g; k < g_end; ++k) acc += weights[k] * static_cast<float>(rows[k][i]);
      out[i] = acc;
    }
  }
}

// The same over premultiplied float rows, which need no widening.
inline __attribute__((always_inline)) void VerticalStrips(const float* const* rows, const float* weights, int taps,
                                                          std::size_t length, float* __restrict out) {
  std::size_t i = 0;
  for (; i + 32 <= length; i += 32) {
    Strip sums;
    for (int k = 0; k < taps; ++k) sums.AddWeighted(rows[k] + i, weights[k]);
    sums.Store(out + i);
  }
  for (; i < length; ++i) {
    float acc = 0.0f;
    for (int k = 0; k < taps; ++k) acc += weights[k] * rows[k][i];
    out[i] = acc;
  }
}

PLENDO_VECTOR_CLONES void VerticalPass(const std::uint8_t* const* rows, const float* weights, int taps,
                                       std::size_t length, float* out) {
  VerticalStrips(rows, weights, taps, length, out);
}

PLENDO_VECTOR_CLONES void VerticalPass(const float* const* rows, const float* weights, int taps, std::size_t length,
                                       float* out) {
  VerticalStrips(rows, weights, taps, length, out);
}

inline int ToByte(float v) { return static_cast<int>(std::min(std::max(v, 0.0f), 255.0f) + 0.5f); }

// out = drawn colour * share + target * (1 - drawn alpha * share), where the
// share is the pixel's coverage by the destination rectangle.
template <int C>
void ComposeRow(const float* v, const float* coverage_x, float coverage_y, std::uint8_t* dst, int dst_bytes,
                int begin, int end, const GammaTable& gamma) {
  constexpr float k = 1.0f / 255.0f;
  for (int i = begin; i < end; ++i) {
    const float share = coverage_x[i] * coverage_y;
    const float alpha = C == 4 ? std::min(std::max(v[i * C + 3] * k, 0.0f), 1.0f) * share : share;
    const float keep = 1.0f - alpha;
    std::uint8_t* p = dst + static_cast<std::size_t>(i) * dst_bytes;
    for (int c = 0; c < 3; ++c) p[c] = gamma[ToByte(v[i * C + c] * share + p[c] * keep)];
    if (dst_bytes == 4) p[3] = static_cast<std::uint8_t>(ToByte(255.0f * alpha + p[3] * keep));
  }
}

// Where an opaque source covers a Bgr24 target pixel whole, the target keeps
// nothing (v * 1 + p * 0 is v exactly): the row's floats become its bytes in
// one flat loop.
PLENDO_VECTOR_CLONES void RoundToBytes(const float* v, std::size_t count, std::uint8_t* out) {
  for (std::size_t i = 0; i < count; ++i) out[i] = static_cast<std::uint8_t>(ToByte(v[i]));
}

void ApplyGamma(const GammaTable& gamma, std::uint8_t* bytes, std::size_t count) {
  for (std::size_t i = 0; i < count; ++i) bytes[i] = gamma[bytes[i]];
}

bool IsIdentity(const GammaTable& gamma) {
  for (int v = 0; v < 256; ++v)
    if (gamma[v] != v) return false;
  return true;
}

// The outputs [begin, end) a destination covers whole on this axis.
std::pair<int, int> WholeSpan(const AxisWeights& w) {
  int begin = 0, end = w.Count();
  while (begin < end && w.coverage[begin] != 1.0f) ++begin;
  while (end > begin && w.coverage[end - 1] != 1.0f) --end;
  for (int i = begin; i < end; ++i)
    if (w.coverage[i] != 1.0f) return {0, 0};
  return {begin, end};
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
//
// Opaque rows come through `window` (the drawn rectangle's rows, offset to
// its left edge); `source` is only needed, and only given, for Bgra32.
using RowWindow = std::function<void(int first, int count, const std::uint8_t** rows)>;

template <int C>
void Run(const Bitmap* source, const RowWindow& window, const SourceRect& from, Bitmap& target,
         const AxisWeights& wx, const AxisWeights& wy, const GammaTable& gamma, const RowCallback& row_done) {
  const bool opaque = C == 3 || FullyOpaque(*source, from);
  const int out_width = wx.Count();
  const std::size_t in_length = static_cast<std::size_t>(from.width) * C;
  const int taps = wy.taps;
  const int dst_bytes = target.Format() == PixelFormat::Bgra32 ? 4 : 3;
  const bool flat_rows = C == 3 && dst_bytes == 3;
  const std::pair<int, int> whole = WholeSpan(wx);
  const bool identity = IsIdentity(gamma);

  std::vector<float> column(in_length + 1);  // the horizontal pass reads one float past the row
  std::vector<float> line(static_cast<std::size_t>(out_width) * C + 1);  // the last pixel is stored as four floats
  std::vector<const std::uint8_t*> byte_rows(opaque ? taps : 0);
  std::vector<float> ring(opaque ? 0 : in_length * taps);
  std::vector<int> ring_row(opaque ? 0 : taps, -1);  // which source row each slot holds
  std::vector<const float*> float_rows(opaque ? 0 : taps);

  for (int j = 0; j < wy.Count(); ++j) {
    const int first = wy.first[j];
    const float* weights = wy.weights.data() + static_cast<std::size_t>(j) * taps;
    if (opaque) {
      window(first, taps, byte_rows.data());
      VerticalPass(byte_rows.data(), weights, taps, in_length, column.data());
    } else {
      for (int k = 0; k < taps; ++k) {
        const int r = first + k;
        const int slot = r % taps;
        float* stored = ring.data() + in_length * slot;
        if (ring_row[slot] != r) {
          LoadPremultipliedRow(source->Row(from.y + r) + static_cast<std::size_t>(from.x) * 4, from.width, stored);
          ring_row[slot] = r;
        }
        float_rows[k] = stored;
      }
      VerticalPass(float_rows.data(), weights, taps, in_length, column.data());
    }
    if constexpr (C == 3)
      HorizontalPass3(column.data(), wx, line.data());
    else
      HorizontalPass4(column.data(), wx, line.data());
    std::uint8_t* dst = target.Row(wy.begin + j) + static_cast<std::size_t>(wx.begin) * dst_bytes;
    if (flat_rows && wy.coverage[j] == 1.0f) {
      const std::size_t at = static_cast<std::size_t>(whole.first) * 3;
      const std::size_t bytes = static_cast<std::size_t>(whole.second - whole.first) * 3;
      RoundToBytes(line.data() + at, bytes, dst + at);
      if (!identity) ApplyGamma(gamma, dst + at, bytes);
      ComposeRow<C>(line.data(), wx.coverage.data(), 1.0f, dst, dst_bytes, 0, whole.first, gamma);
      ComposeRow<C>(line.data(), wx.coverage.data(), 1.0f, dst, dst_bytes, whole.second, out_width, gamma);
    } else {
      ComposeRow<C>(line.data(), wx.coverage.data(), wy.coverage[j], dst, dst_bytes, 0, out_width, gamma);
    }
    if (row_done) row_done(wy.begin + j);
  }
}

// Checks what every draw needs and draws the band the destination covers;
// rows outside it are reported final at once.
bool DrawChecked(const Bitmap* source, const RowWindow& window, const SourceRect& from, Bitmap& target,
                 const DestRect& dest, const GammaTable& gamma, const RowCallback& row_done) {
  const PixelFormat tf = target.Format();
  if (tf != PixelFormat::Bgr24 && tf != PixelFormat::Bgra32) return false;
  if (!(dest.width > 0.0) || !(dest.height > 0.0) || !std::isfinite(dest.x) || !std::isfinite(dest.y) ||
      !std::isfinite(dest.width) || !std::isfinite(dest.height))
    return false;
  const AxisWeights wx = MakeAxisWeights(from.width, dest.x, dest.width, target.Width());
  const AxisWeights wy = MakeAxisWeights(from.height, dest.y, dest.height, target.Height());
  const auto report = [&](int begin, int end) {
    if (row_done)
      for (int y = begin; y < end; ++y) row_done(y);
  };
  if (wx.Count() == 0 || wy.Count() == 0) {  // nothing falls on the target
    report(0, target.Height());
    return true;
  }
  report(0, wy.begin);
  if (source && source->Format() == PixelFormat::Bgra32)
    Run<4>(source, window, from, target, wx, wy, gamma, row_done);
  else
    Run<3>(source, window, from, target, wx, wy, gamma, row_done);
  report(wy.begin + wy.Count(), target.Height());
  return true;
}

}  // namespace

bool DrawResampled(const Bitmap& source, const SourceRect& from, Bitmap& target, const DestRect& dest,
                   const GammaTable& gamma, const RowCallback& row_done) {
  const PixelFormat sf = source.Format();
  if (sf != PixelFormat::Bgr24 && sf != PixelFormat::Bgra32) return false;
  if (from.width <= 0 || from.height <= 0 || from.x < 0 || from.y < 0 || from.x > source.Width() - from.width ||
      from.y > source.Height() - from.height)
    return false;
  const std::size_t left = static_cast<std::size_t>(from.x) * (sf == PixelFormat::Bgr24 ? 3 : 4);
  const RowWindow window = [&](int first, int count, const std::uint8_t** rows) {
    for (int k = 0; k < count; ++k) rows[k] = source.Row(from.y + first + k) + left;
  };
  return DrawChecked(&source, window, from, target, dest, gamma, row_done);
}

bool DrawResampled(RowSource& source, Bitmap& target, const DestRect& dest, const GammaTable& gamma,
                   const RowCallback& row_done) {
  const SourceRect from{0, 0, source.Width(), source.Height()};
  if (from.width <= 0 || from.height <= 0) return false;
  const RowWindow window = [&](int first, int count, const std::uint8_t** rows) {
    source.Window(first, count, rows);
  };
  return DrawChecked(nullptr, window, from, target, dest, gamma, row_done);
}

}  // namespace plendo::imaging
