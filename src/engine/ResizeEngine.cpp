#include "engine/ResizeEngine.h"

#include <cmath>

namespace plendo::engine {

ResizeEngine::ResizeEngine(const settings::AppSettings& settings, PanelHost& host)
    : settings_(settings), host_(host) {}

ResizeEngine::~ResizeEngine() = default;

long long RoundHalfToEven(double value) {
  const double floor = std::floor(value);
  const double fraction = value - floor;
  auto result = static_cast<long long>(floor);
  if (fraction > 0.5 || (fraction == 0.5 && (result % 2 != 0))) ++result;
  return result;
}

}  // namespace plendo::engine
