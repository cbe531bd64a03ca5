#include "engine/SizeLimit.h"

#include <algorithm>
#include <cmath>

namespace plendo::engine {
namespace {

constexpr int kLowest = 0;

int Clamp(double q, int lo, int hi) {
  return std::clamp(static_cast<int>(std::lround(q)), lo, hi);
}

}  // namespace

FittedOutput FitToSize(const std::function<std::vector<std::uint8_t>(int quality)>& encode, int highest,
                       std::size_t limit_bytes) {
  FittedOutput result;
  highest = std::clamp(highest, kLowest, 100);
  std::vector<std::uint8_t> bytes = encode(highest);
  result.tries = 1;
  if (bytes.size() <= limit_bytes) {
    result.bytes = std::move(bytes);
    result.quality = highest;
    result.fits = true;
    return result;
  }
  // fit < q < fail is still open; fit = kLowest - 1 while nothing has fitted.
  int fail = highest, fit = kLowest - 1;
  double fail_size = static_cast<double>(bytes.size()), fit_size = 0;
  std::vector<std::uint8_t> failed_bytes = std::move(bytes);  // the lowest failing try so far
  const double limit = static_cast<double>(limit_bytes);
  int q = Clamp(highest * limit / fail_size, kLowest, fail - 1);
  while (fail - fit > 1) {
    const int before = fail - fit;
    bytes = encode(q);
    ++result.tries;
    const double size = static_cast<double>(bytes.size());
    if (bytes.size() <= limit_bytes) {
      fit = q, fit_size = size;
      result.bytes = std::move(bytes);
      result.quality = q;
      result.fits = true;
    } else {
      fail = q, fail_size = size;
      failed_bytes = std::move(bytes);
    }
    if (fail - fit <= 1) break;
    if (fit < kLowest) {
      q = Clamp(fail * limit / fail_size, kLowest, fail - 1);  // still scaling down
    } else if (2 * (fail - fit) > before) {
      q = fit + (fail - fit) / 2;  // the guess did not halve the range
    } else {
      q = Clamp(fit + (limit - fit_size) / (fail_size - fit_size) * (fail - fit), fit + 1, fail - 1);
    }
  }
  if (!result.fits) {
    result.bytes = std::move(failed_bytes);  // at kLowest: fail reached it
    result.quality = kLowest;
  }
  return result;
}

}  // namespace plendo::engine
