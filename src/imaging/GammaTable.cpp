#include "imaging/GammaTable.h"

#include <cmath>

namespace plendo::imaging {

GammaTable MakeGammaTable(float gamma) {
  GammaTable table{};
  const bool identity = !(gamma > 0.0f) || !std::isfinite(gamma) || gamma == 1.0f;
  for (int v = 0; v < 256; ++v) {
    table[v] = identity ? static_cast<std::uint8_t>(v)
                        : static_cast<std::uint8_t>(std::lround(255.0 * std::pow(v / 255.0, static_cast<double>(gamma))));
  }
  return table;
}

}  // namespace plendo::imaging
