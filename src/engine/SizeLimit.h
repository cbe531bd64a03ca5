#pragma once
// The highest quality whose output fits a size limit, found by trying
// encodings in memory: each try's bytes are kept, none is decoded again.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <vector>

namespace plendo::engine {

struct FittedOutput {
  std::vector<std::uint8_t> bytes;
  int quality = 0;    // on the Compress scale
  bool fits = false;  // false: even the lowest quality is larger; `bytes` hold that
  int tries = 0;
};

// `encode(q)` makes the whole output at Compress quality q (0..100). Tries
// `highest` first; when that is too large, searches [0, highest) for the
// highest quality that fits: the first guess scales the quality by the
// share of the limit the first try took, later ones interpolate between the
// nearest fitting and failing tries (regula falsi, Illinois form). 4 to 6
// tries for a photo.
FittedOutput FitToSize(const std::function<std::vector<std::uint8_t>(int quality)>& encode, int highest,
                       std::size_t limit_bytes);

}  // namespace plendo::engine
