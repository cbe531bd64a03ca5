#include "preview/PreviewSampler.h"

#include <algorithm>
#include <cstring>

#include "preview/ImageControl.h"

namespace plendo::preview {
namespace {

// Where the control's stretch takes pixel `d` of `span` from `size` pixels.
int SourceIndex(int d, int span, int size) {
  return static_cast<int>(static_cast<long long>(d) * size / span);
}

struct Point {
  int x, y;
};

// The stored pixel that upright pixel (x, y) shows, for a stored picture of
// w x h. Orientation 6 is turned a quarter clockwise to stand upright, 8 a
// quarter anticlockwise; 2 and 4 are mirrored, 5 and 7 transposed.
Point StoredPixel(int orientation, int x, int y, int w, int h) {
  switch (orientation) {
    case 2: return {w - 1 - x, y};
    case 3: return {w - 1 - x, h - 1 - y};
    case 4: return {x, h - 1 - y};
    case 5: return {y, x};
    case 6: return {y, h - 1 - x};
    case 7: return {w - 1 - y, h - 1 - x};
    case 8: return {w - 1 - y, x};
    default: return {x, y};
  }
}

platform::Bitmap TurnUpright(platform::Bitmap stored, int orientation, int pixel_bytes) {
  if (orientation < 2 || orientation > 8) return stored;
  const bool swap = SwapsSides(orientation);
  const int w = stored.Width(), h = stored.Height();
  platform::Bitmap upright(swap ? h : w, swap ? w : h, stored.Format());
  for (int y = 0; y < upright.Height(); ++y) {
    std::uint8_t* out = upright.Row(y);
    for (int x = 0; x < upright.Width(); ++x) {
      const Point p = StoredPixel(orientation, x, y, w, h);
      std::memcpy(out + x * pixel_bytes, stored.Row(p.y) + p.x * pixel_bytes, static_cast<std::size_t>(pixel_bytes));
    }
  }
  return upright;
}

}  // namespace

bool SwapsSides(int orientation) { return orientation >= 5 && orientation <= 8; }

PreviewSampler::PreviewSampler(int width, int height, int orientation, int rows_width, int rows_height,
                               platform::PixelFormat format, PreviewArea area)
    : width_(SwapsSides(orientation) ? height : width),
      height_(SwapsSides(orientation) ? width : height),
      orientation_(orientation),
      pixel_bytes_(format == platform::PixelFormat::Bgra32 ? 4 : 3) {
  const platform::Rect placed = PlaceImage(width_, height_, area.width, area.height);
  const int shown_w = std::max(placed.Width(), 1), shown_h = std::max(placed.Height(), 1);
  const int kept_w = SwapsSides(orientation) ? shown_h : shown_w;
  const int kept_h = SwapsSides(orientation) ? shown_w : shown_h;
  stored_ = platform::Bitmap(kept_w, kept_h, format);
  columns_.resize(static_cast<std::size_t>(kept_w));
  for (int x = 0; x < kept_w; ++x) columns_[x] = SourceIndex(x, kept_w, rows_width);
  source_rows_.resize(static_cast<std::size_t>(kept_h));
  for (int y = 0; y < kept_h; ++y) source_rows_[y] = SourceIndex(y, kept_h, rows_height);
}

void PreviewSampler::TakeRow(int y, const std::uint8_t* row) {
  // The kept rows are in increasing source order: find the run that reads y.
  const auto first = std::lower_bound(source_rows_.begin(), source_rows_.end(), y);
  for (auto it = first; it != source_rows_.end() && *it == y; ++it) {
    std::uint8_t* out = stored_.Row(static_cast<int>(it - source_rows_.begin()));
    for (std::size_t x = 0; x < columns_.size(); ++x)
      std::memcpy(out + x * pixel_bytes_, row + static_cast<std::size_t>(columns_[x]) * pixel_bytes_,
                  static_cast<std::size_t>(pixel_bytes_));
  }
}

void PreviewSampler::TakeBitmap(const platform::Bitmap& bitmap) {
  int last = -1;
  for (const int y : source_rows_) {
    if (y != last) TakeRow(y, bitmap.Row(y));
    last = y;
  }
}

std::unique_ptr<TScaledPicture> PreviewSampler::Finish() {
  return std::make_unique<TScaledPicture>(TurnUpright(std::move(stored_), orientation_, pixel_bytes_), width_, height_);
}

}  // namespace plendo::preview
