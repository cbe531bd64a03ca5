#include "platform/Canvas.h"

#include <algorithm>
#include <vector>

namespace plendo::platform {
namespace {

bool MaskBit(const Bitmap& mask, int x, int y) {
  return (mask.Row(y)[x / 8] >> (7 - x % 8)) & 1;
}

std::uint8_t Blend(std::uint8_t source, std::uint8_t destination, unsigned alpha) {
  return static_cast<std::uint8_t>((source * alpha + (255 - alpha) * destination + 255) >> 8);
}

}  // namespace

int StretchSource(int d, int span, int size) {
  return static_cast<int>(static_cast<std::int64_t>(d) * size / span);
}

Canvas::Canvas(int width, int height) : pixels_(width, height, PixelFormat::Bgra32) {
  Fill(ClientRect(), Rgba{0, 0, 0, 255});
}

void Canvas::Put(int x, int y, Rgba colour) {
  std::uint8_t* p = pixels_.Row(y) + x * 4;
  p[0] = colour.b;
  p[1] = colour.g;
  p[2] = colour.r;
  p[3] = 0xFF;
}

void Canvas::Fill(const Rect& rect, Rgba colour) {
  const int left = std::max(rect.left, 0), right = std::min(rect.right, Width());
  const int top = std::max(rect.top, 0), bottom = std::min(rect.bottom, Height());
  for (int y = top; y < bottom; ++y)
    for (int x = left; x < right; ++x) Put(x, y, colour);
}

// Calls put(x, y, sx, sy) for every canvas pixel (x, y) the rectangle covers,
// with (sx, sy) the source pixel stretched onto it.
template <class PutPixel>
void Canvas::ForEachStretched(const Rect& rect, const Bitmap& source, PutPixel put) {
  if (rect.Empty() || source.Empty()) return;
  const int left = std::max(rect.left, 0), right = std::min(rect.right, Width());
  const int top = std::max(rect.top, 0), bottom = std::min(rect.bottom, Height());
  if (left >= right || top >= bottom) return;
  std::vector<int> columns(static_cast<std::size_t>(right - left));
  for (int x = left; x < right; ++x)
    columns[x - left] = StretchSource(x - rect.left, rect.Width(), source.Width());
  for (int y = top; y < bottom; ++y) {
    const int sy = StretchSource(y - rect.top, rect.Height(), source.Height());
    for (int x = left; x < right; ++x) put(x, y, columns[x - left], sy);
  }
}

void Canvas::StretchDraw(const Rect& rect, const Bitmap& source) {
  ForEachStretched(rect, source, [&](int x, int y, int sx, int sy) {
    Put(x, y, source.PixelAt(sx, sy));
  });
}

void Canvas::StretchDrawKeyed(const Rect& rect, const Bitmap& source, Rgba key) {
  ForEachStretched(rect, source, [&](int x, int y, int sx, int sy) {
    const Rgba c = source.PixelAt(sx, sy);
    if (c.r != key.r || c.g != key.g || c.b != key.b) Put(x, y, c);
  });
}

void Canvas::StretchDrawMasked(const Rect& rect, const Bitmap& source, const Bitmap& mask) {
  if (mask.Format() != PixelFormat::Indexed1 || mask.Width() != source.Width() ||
      mask.Height() != source.Height()) {
    StretchDraw(rect, source);
    return;
  }
  ForEachStretched(rect, source, [&](int x, int y, int sx, int sy) {
    if (!MaskBit(mask, sx, sy)) Put(x, y, source.PixelAt(sx, sy));
  });
}

void Canvas::StretchBlend(const Rect& rect, const Bitmap& source) {
  ForEachStretched(rect, source, [&](int x, int y, int sx, int sy) {
    const Rgba s = source.PixelAt(sx, sy);
    if (s.a == 0) return;
    const Rgba d = PixelAt(x, y);
    Put(x, y, {Blend(s.r, d.r, s.a), Blend(s.g, d.g, s.a), Blend(s.b, d.b, s.a), 255});
  });
}

}  // namespace plendo::platform
