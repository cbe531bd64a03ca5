#pragma once
// The surface the preview decoders paint into, which the panel then puts on
// screen. It is a 32-bit bitmap (blue, green, red, 0xFF per pixel, rows top to
// bottom) with the few operations the preview decoders need. Every draw is
// clipped to the surface, so a rectangle partly or wholly outside it is safe.
//
// Stretching is nearest neighbour, as the colour-on-colour stretch mode does:
// destination pixel x of a rectangle w wide takes source column
// floor(x * source width / w); rows and columns are dropped or repeated,
// never blended.
#include <cstdint>

#include "platform/Bitmap.h"

namespace plendo::platform {

// Left and top inside, right and bottom outside.
struct Rect {
  int left = 0, top = 0, right = 0, bottom = 0;
  int Width() const { return right - left; }
  int Height() const { return bottom - top; }
  bool Empty() const { return right <= left || bottom <= top; }
  friend bool operator==(const Rect&, const Rect&) = default;
};

// The source pixel a stretch takes for destination offset `d` of a span
// `span` wide over `size` source pixels: floor(d * size / span), in 64 bits
// so that a huge span over a huge source cannot overflow.
int StretchSource(int d, int span, int size);

class Canvas {
 public:
  Canvas() = default;
  // Starts black. Throws BitmapTooLarge like Bitmap does.
  Canvas(int width, int height);

  int Width() const { return pixels_.Width(); }
  int Height() const { return pixels_.Height(); }
  Rect ClientRect() const { return {0, 0, Width(), Height()}; }

  // The surface itself (Bgra32, alpha always 0xFF), for copying it to the
  // screen or taking snapshots of a rectangle.
  const Bitmap& Pixels() const { return pixels_; }
  Bitmap& Pixels() { return pixels_; }

  Rgba PixelAt(int x, int y) const { return pixels_.PixelAt(x, y); }

  void Fill(const Rect& rect, Rgba colour);

  // Plain stretch: every covered pixel takes the source colour (alpha ignored).
  void StretchDraw(const Rect& rect, const Bitmap& source);

  // Leaves the destination wherever the source pixel has the key colour
  // (red, green and blue compared; alpha ignored).
  void StretchDrawKeyed(const Rect& rect, const Bitmap& source, Rgba key);

  // `mask` is Indexed1 of the source's size; a set bit leaves the destination
  // (the transparent pixels of an icon or a GIF frame). A mask of another
  // size draws the source plainly.
  void StretchDrawMasked(const Rect& rect, const Bitmap& source, const Bitmap& mask);

  // Blends each channel with the source pixel's alpha a (palette alpha for
  // indexed sources): (source * a + (255 - a) * destination + 255) >> 8.
  void StretchBlend(const Rect& rect, const Bitmap& source);

 private:
  template <class PutPixel>
  void ForEachStretched(const Rect& rect, const Bitmap& source, PutPixel put);
  void Put(int x, int y, Rgba colour);

  Bitmap pixels_;
};

}  // namespace plendo::platform
