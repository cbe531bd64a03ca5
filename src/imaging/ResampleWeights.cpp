#include "imaging/ResampleWeights.h"

#include <algorithm>
#include <cmath>

namespace plendo::imaging {

double BicubicKernel(double x) {
  constexpr double a = -0.5;
  x = std::fabs(x);
  if (x < 1.0) return ((a + 2.0) * x - (a + 3.0)) * x * x + 1.0;
  if (x < 2.0) return ((a * x - 5.0 * a) * x + 8.0 * a) * x - 4.0 * a;
  return 0.0;
}

int MirrorIndex(long long j, int n) {
  const long long period = 2LL * n;
  long long r = j % period;
  if (r < 0) r += period;
  return static_cast<int>(r < n ? r : period - 1 - r);
}

AxisWeights MakeAxisWeights(int source_size, double dest_start, double dest_size, int target_size) {
  AxisWeights table;
  if (source_size <= 0 || target_size <= 0 || !(dest_size > 0.0) || !std::isfinite(dest_size) ||
      !std::isfinite(dest_start))
    return table;
  const double dest_end = dest_start + dest_size;
  const double begin = std::max(0.0, std::floor(dest_start));
  const double end = std::min(static_cast<double>(target_size), std::ceil(dest_end));
  if (!(end > begin)) return table;
  table.begin = static_cast<int>(begin);
  const int count = static_cast<int>(end) - table.begin;

  const double scale = source_size / dest_size;
  // Beyond the source's own width a wider kernel adds nothing: it already
  // reaches every pixel (mirrored) from any centre.
  const double filter_scale = std::clamp(scale, 1.0, static_cast<double>(source_size));
  const double support = 2.0 * filter_scale;

  // First every output's weights over its folded index range, then packed
  // into a fixed number of taps.
  std::vector<int> lo(count), width(count);
  std::vector<std::size_t> at(count);
  std::vector<double> folded;
  std::vector<float> raw;
  table.coverage.resize(count);
  int taps = 1;
  for (int i = 0; i < count; ++i) {
    const double x = table.begin + i;
    table.coverage[i] = static_cast<float>(std::clamp(std::min(x + 1.0, dest_end) - std::max(x, dest_start), 0.0, 1.0));
    const double u = (x + 0.5 - dest_start) * scale - 0.5;
    const auto j0 = static_cast<long long>(std::floor(u - support)) + 1;
    const auto j1 = static_cast<long long>(std::ceil(u + support)) - 1;
    int mn = source_size, mx = -1;
    for (long long j = j0; j <= j1; ++j) {
      const int m = MirrorIndex(j, source_size);
      mn = std::min(mn, m);
      mx = std::max(mx, m);
    }
    if (mx < mn) mn = mx = std::clamp(static_cast<int>(std::lround(u)), 0, source_size - 1);
    folded.assign(static_cast<std::size_t>(mx - mn + 1), 0.0);
    double sum = 0.0;
    for (long long j = j0; j <= j1; ++j) {
      const double w = BicubicKernel((static_cast<double>(j) - u) / filter_scale);
      folded[MirrorIndex(j, source_size) - mn] += w;
      sum += w;
    }
    if (std::fabs(sum) < 1e-12) {
      std::fill(folded.begin(), folded.end(), 0.0);
      folded[std::clamp(static_cast<int>(std::lround(u)), mn, mx) - mn] = 1.0;
      sum = 1.0;
    }
    lo[i] = mn;
    width[i] = mx - mn + 1;
    at[i] = raw.size();
    for (double w : folded) raw.push_back(static_cast<float>(w / sum));
    taps = std::max(taps, width[i]);
  }

  taps = std::min(taps, source_size);
  table.taps = taps;
  table.first.resize(count);
  table.weights.assign(static_cast<std::size_t>(count) * taps, 0.0f);
  for (int i = 0; i < count; ++i) {
    // Shift the window left where it would pass the last pixel, so that a
    // fixed tap count never reads outside the source.
    const int first = std::min(lo[i], source_size - taps);
    table.first[i] = first;
    float* w = table.weights.data() + static_cast<std::size_t>(i) * taps + (lo[i] - first);
    std::copy_n(raw.data() + at[i], width[i], w);
  }
  return table;
}

}  // namespace plendo::imaging
