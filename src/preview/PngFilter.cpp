#include "preview/PngFilter.h"

#include <algorithm>
#include <cstdlib>

namespace plendo::preview {

std::uint8_t PaethPredictor(std::uint8_t left, std::uint8_t above, std::uint8_t upper_left) {
  const int p = left + above - upper_left;
  const int pa = std::abs(p - left), pb = std::abs(p - above), pc = std::abs(p - upper_left);
  if (pa <= pb && pa <= pc) return left;
  if (pb <= pc) return above;
  return upper_left;
}

void UnfilterRow(std::uint8_t* row, const std::uint8_t* previous, std::size_t length, std::size_t offset) {
  std::uint8_t* cur = row + 1;
  const std::uint8_t* up = previous + 1;
  switch (row[0]) {
    case 1:
      for (std::size_t i = offset; i < length; ++i) cur[i] = static_cast<std::uint8_t>(cur[i] + cur[i - offset]);
      break;
    case 2:
      for (std::size_t i = 0; i < length; ++i) cur[i] = static_cast<std::uint8_t>(cur[i] + up[i]);
      break;
    // The first pixel has nothing to its left; the rest of the row is the
    // hot loop of a photo's decode, so it runs without that test.
    case 3: {
      const std::size_t first = std::min(offset, length);
      for (std::size_t i = 0; i < first; ++i) cur[i] = static_cast<std::uint8_t>(cur[i] + (up[i] >> 1));
      for (std::size_t i = first; i < length; ++i)
        cur[i] = static_cast<std::uint8_t>(cur[i] + ((unsigned{cur[i - offset]} + up[i]) >> 1));
      break;
    }
    case 4: {
      const std::size_t first = std::min(offset, length);
      for (std::size_t i = 0; i < first; ++i) cur[i] = static_cast<std::uint8_t>(cur[i] + PaethPredictor(0, up[i], 0));
      for (std::size_t i = first; i < length; ++i)
        cur[i] = static_cast<std::uint8_t>(cur[i] + PaethPredictor(cur[i - offset], up[i], up[i - offset]));
      break;
    }
    default:  // 0, and unknown types: kept as they are
      break;
  }
}

}  // namespace plendo::preview
