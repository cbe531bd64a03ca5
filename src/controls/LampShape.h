#pragma once
// The geometry of a status lamp: a segment of a seven-segment display, an
// elongated hexagon with a bevel, pointed at its two narrow ends. Kept apart
// from painting so it can be checked without a window.
//
// Coordinates are pixels from the control's top-left corner. Lines follow the
// rule that a segment's end point is not drawn.
#include <array>

namespace plendo::controls {

struct LampPoint {
  int x = 0, y = 0;
  friend bool operator==(const LampPoint&, const LampPoint&) = default;
};

struct LampShape {
  bool horizontal = true;
  std::array<LampPoint, 6> body{};       // a: closed polygon, black outline, filled
  std::array<LampPoint, 6> highlight{};  // b: white open line
  std::array<LampPoint, 4> upperShade{}; // c: gray open line
  std::array<LampPoint, 4> lowerShade{}; // d: gray open line
  std::array<LampPoint, 2> glint{};      // e: one silver line
};

// A lamp no taller than wide lies horizontally, else it stands.
LampShape LampShapeFor(int width, int height);

}  // namespace plendo::controls
