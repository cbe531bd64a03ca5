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
  // Guesses interpolate linearly between the two by how far each missed the
  // limit; when one side moves twice running, the other's miss counts half
  // (regula falsi in its Illinois form), so a curved size never stalls it.
  int fail = highest, fit = kLowest - 1;
  const double limit = static_cast<double>(limit_bytes);
  double fail_miss = static_cast<double>(bytes.size()) - limit, fit_miss = 0;
  std::vector<std::uint8_t> failed_bytes = std::move(bytes);  // the lowest failing try so far
  int q = Clamp(highest * limit / static_cast<double>(failed_bytes.size()), kLowest, fail - 1);
  enum class Side { None, Fit, Fail } last = Side::None;
  while (fail - fit > 1) {
    bytes = encode(q);
    ++result.tries;
    const double size = static_cast<double>(bytes.size());
    if (bytes.size() <= limit_bytes) {
      fit = q, fit_miss = limit - size;
      if (last == Side::Fit) fail_miss /= 2;
      last = Side::Fit;
      result.bytes = std::move(bytes);
      result.quality = q;
      result.fits = true;
    } else {
      fail = q, fail_miss = size - limit;
      if (last == Side::Fail) fit_miss /= 2;
      last = Side::Fail;
      failed_bytes = std::move(bytes);
    }
    if (fail - fit <= 1) break;
    if (fit < kLowest)
      q = Clamp(fail * limit / size, kLowest, fail - 1);  // still scaling down
    else
      q = Clamp(fit + fit_miss / (fit_miss + fail_miss) * (fail - fit), fit + 1, fail - 1);
  }
  if (!result.fits) {
    result.bytes = std::move(failed_bytes);  // at kLowest: fail reached it
    result.quality = kLowest;
  }
  return result;
}

}  // namespace plendo::engine
