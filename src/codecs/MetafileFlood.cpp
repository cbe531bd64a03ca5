#include "codecs/MetafileFlood.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <utility>

namespace plendo::codecs::metafile {
namespace {

// A pixel this close to the surface colour (largest channel difference) is
// of that colour; a border this close to the start pixel leaves nothing to
// fill.
constexpr int kTolerance = 24;

struct Rgb {
  int r = 0, g = 0, b = 0;
};

Rgb Split(std::uint32_t p) { return {int(p >> 16 & 0xFF), int(p >> 8 & 0xFF), int(p & 0xFF)}; }

int Distance(Rgb a, Rgb b) { return std::max({std::abs(a.r - b.r), std::abs(a.g - b.g), std::abs(a.b - b.b)}); }

// How much of `inner` a pixel mixed of `inner` and `outer` holds.
double Share(Rgb p, Rgb inner, Rgb outer) {
  const double dr = inner.r - outer.r, dg = inner.g - outer.g, db = inner.b - outer.b;
  const double length = dr * dr + dg * dg + db * db;
  if (length < 1) return 0;
  const double along = (p.r - outer.r) * dr + (p.g - outer.g) * dg + (p.b - outer.b) * db;
  return std::clamp(along / length, 0.0, 1.0);
}

class Flood {
 public:
  Flood(const FloodImage& image, const FloodStart& start, std::size_t& budget)
      : image_(image), key_(Split(start.colour)), surface_(start.surface), budget_(budget) {}

  std::vector<std::uint8_t> Run(int x, int y);

 private:
  std::size_t Index(int x, int y) const { return static_cast<std::size_t>(y) * image_.width + x; }
  Rgb At(int x, int y) const {
    const auto* row = reinterpret_cast<const std::uint32_t*>(image_.data + static_cast<std::size_t>(y) * image_.stride);
    return Split(row[x]);
  }
  bool Inside(int x, int y) const {
    const int d = Distance(At(x, y), key_);
    return surface_ ? d <= kTolerance : d > border_half_;
  }
  bool Open(int x, int y) const { return cover_[Index(x, y)] == 0 && Inside(x, y); }
  bool Spend(std::size_t n) {
    if (budget_ < n) return budget_ = 0, false;
    budget_ -= n;
    return true;
  }
  void Spread(int x, int y);
  void Shade();

  const FloodImage& image_;
  Rgb key_;
  bool surface_;
  int border_half_ = 0;
  std::size_t& budget_;
  std::vector<std::uint8_t> cover_;
  std::vector<std::pair<int, int>> seeds_;
};

std::vector<std::uint8_t> Flood::Run(int x, int y) {
  if (x < 0 || y < 0 || x >= image_.width || y >= image_.height || budget_ == 0) return {};
  if (!surface_) {
    const int start = Distance(At(x, y), key_);
    if (start <= kTolerance) return {};
    border_half_ = start / 2;
  }
  if (!Inside(x, y)) return {};
  cover_.assign(static_cast<std::size_t>(image_.width) * image_.height, 0);
  seeds_.push_back({x, y});
  while (!seeds_.empty() && budget_ > 0) {
    const auto [sx, sy] = seeds_.back();
    seeds_.pop_back();
    if (Spend(1) && Open(sx, sy)) Spread(sx, sy);
  }
  Shade();
  return std::move(cover_);
}

// The run of open pixels through (x, y), then one seed for each run of open
// pixels above and below it.
void Flood::Spread(int x, int y) {
  int left = x, right = x;
  while (left > 0 && Open(left - 1, y)) --left;
  while (right + 1 < image_.width && Open(right + 1, y)) ++right;
  const auto width = static_cast<std::size_t>(right - left + 1);
  std::fill_n(cover_.begin() + static_cast<std::ptrdiff_t>(Index(left, y)), width, std::uint8_t{255});
  for (const int row : {y - 1, y + 1}) {
    if (row < 0 || row >= image_.height || !Spend(width)) continue;
    bool in_run = false;
    for (int i = left; i <= right; ++i) {
      const bool open = Open(i, row);
      if (open && !in_run) seeds_.push_back({i, row});
      in_run = open;
    }
  }
}

// The pixels just outside the fill hold part of the area's colour where
// the border's edge was shaded across them; they take that part of the fill.
void Flood::Shade() {
  constexpr int kSteps[4][2] = {{1, 0}, {-1, 0}, {0, 1}, {0, -1}};
  std::vector<std::uint8_t> shade(cover_.size(), 0);
  for (int y = 0; y < image_.height; ++y) {
    for (int x = 0; x < image_.width; ++x) {
      if (cover_[Index(x, y)] != 255) continue;
      for (const auto& step : kSteps) {
        const int nx = x + step[0], ny = y + step[1];
        if (nx < 0 || ny < 0 || nx >= image_.width || ny >= image_.height || cover_[Index(nx, ny)] == 255) continue;
        // The border colour, or in surface mode the pixel beyond. A border
        // pixel with the area's colour on both sides holds a border thinner
        // than itself, and only half of what is not border is inside.
        const int fx = nx + step[0], fy = ny + step[1];
        const bool beyond = fx >= 0 && fy >= 0 && fx < image_.width && fy < image_.height;
        if (surface_ && !beyond) continue;
        const Rgb outer = surface_ ? At(fx, fy) : key_;
        double share = Share(At(nx, ny), At(x, y), outer);
        if (!surface_ && beyond && cover_[Index(fx, fy)] != 255 && Inside(fx, fy)) share /= 2;
        std::uint8_t& s = shade[Index(nx, ny)];
        s = std::max(s, static_cast<std::uint8_t>(std::lround(share * 255)));
      }
    }
  }
  for (std::size_t i = 0; i < cover_.size(); ++i) cover_[i] = std::max(cover_[i], shade[i]);
}

}  // namespace

std::vector<std::uint8_t> FloodCoverage(const FloodImage& image, const FloodStart& start, std::size_t& budget) {
  if (!image.data || image.width <= 0 || image.height <= 0) return {};
  Flood flood(image, start, budget);
  return flood.Run(start.x, start.y);
}

}  // namespace plendo::codecs::metafile
