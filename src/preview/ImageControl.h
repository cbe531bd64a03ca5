#pragma once
// How the panel's picture control shows its graphic: always stretched, kept
// in proportion and centred in the client area, over the monitor background.
// The Qt widget only turns the canvas into pixels on screen.
#include "platform/Canvas.h"
#include "preview/Picture.h"

namespace plendo::preview {

// The monitor panel's colour, around and through the picture.
inline constexpr platform::Rgba kMonitorBackground{255, 255, 200, 255};

// The picture control's client size.
struct PreviewArea {
  int width = 0;
  int height = 0;
  bool Empty() const { return width <= 0 || height <= 0; }
};

// The rectangle a w x h image takes in a client area cw x ch. The long side
// fills the area, the other follows the aspect ratio, truncated; the result
// is centred (offsets rounded toward zero). An image without size fills the
// whole area.
platform::Rect PlaceImage(int w, int h, int cw, int ch);

// Fills the canvas with the monitor background and draws the picture's
// graphic placed into it. Errors of the graphic's draw go to the caller.
void PaintImage(TPicture& picture, platform::Canvas& canvas);

}  // namespace plendo::preview
