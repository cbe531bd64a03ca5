#pragma once
// Flood fills work on what has been drawn, not on figures: from one pixel
// they spread over its neighbours until a border colour (border mode) or
// while the pixels have one colour (surface mode). What is drawn here is
// antialiased, so a border is a colour nearer the border than the start,
// and the shaded pixels along it take the fill in the share they hold of
// the area's colour.
#include <cstddef>
#include <cstdint>
#include <vector>

namespace plendo::codecs::metafile {

// One picture in cairo's RGB24 layout (0x00RRGGBB per pixel, rows `stride`
// bytes apart), read only.
struct FloodImage {
  const unsigned char* data = nullptr;
  int width = 0, height = 0, stride = 0;
};

struct FloodStart {
  int x = 0, y = 0;
  std::uint32_t colour = 0;  // 0x00RRGGBB: the border, or the surface to fill
  bool surface = false;
};

// Coverage of the fill, one byte a pixel (255 inside, a share on the
// antialiased edge, 0 outside); empty when nothing is filled. Every pixel
// looked at takes one from `budget`, and the fill stops where it runs out,
// so that a file with many fills over a large picture ends in bounded time.
std::vector<std::uint8_t> FloodCoverage(const FloodImage& image, const FloodStart& start, std::size_t& budget);

}  // namespace plendo::codecs::metafile
