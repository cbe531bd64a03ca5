#include "controls/LampShape.h"

namespace plendo::controls {

LampShape LampShapeFor(int W, int H) {
  LampShape s;
  s.horizontal = H <= W;
  if (s.horizontal) {
    const int h = H / 2;
    const int e = W - h;
    s.body = {{{0, h + 2}, {h - 1, 3}, {e + 1, 3}, {W - 1, h + 1}, {e, H - 1}, {h - 2, H - 1}}};
    s.highlight = {{{0, h}, {h - 1, 1}, {e + 1, 1}, {W - 1, h - 1}, {e, H - 3}, {h - 3, H - 3}}};
    s.upperShade = {{{0, h + 1}, {h - 1, 2}, {e, 2}, {W - 2, h}}};
    s.lowerShade = {{{W - 1, h}, {e, H - 2}, {h - 2, H - 2}, {0, h + 1}}};
    s.glint = {{{h - 2, H - 3}, {0, h}}};
  } else {
    const int w = W / 2;
    const int f = H - w;
    s.body = {{{w + 2, 0}, {W - 1, w - 2}, {W - 1, f}, {w + 1, H - 1}, {3, f + 1}, {3, w - 1}}};
    s.highlight = {{{w, 0}, {1, w - 1}, {1, f + 1}, {w - 1, H - 1}, {W - 3, f}, {W - 3, w - 3}}};
    s.upperShade = {{{w + 1, 0}, {2, w - 1}, {2, f}, {w, H - 2}}};
    s.lowerShade = {{{w, H - 1}, {W - 2, f}, {W - 2, w - 2}, {w + 1, 0}}};
    s.glint = {{{W - 3, w - 2}, {w, 0}}};
  }
  return s;
}

}  // namespace plendo::controls
