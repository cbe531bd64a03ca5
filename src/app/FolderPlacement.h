#pragma once
// Where the folder dialog opens: at the preferred point, pushed back inside
// the virtual screen; centred when a preferred coordinate is 0.
#include <cstdint>

namespace plendo::app {

struct ScreenPoint {
  std::int32_t x = 0, y = 0;
  friend bool operator==(const ScreenPoint&, const ScreenPoint&) = default;
};

ScreenPoint PlaceBrowseDialog(std::int32_t preferredX, std::int32_t preferredY,
                              std::int32_t screenWidth, std::int32_t screenHeight,
                              std::int32_t dialogWidth, std::int32_t dialogHeight);

}  // namespace plendo::app
