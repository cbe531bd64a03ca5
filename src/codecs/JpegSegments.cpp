#include "codecs/JpegSegments.h"

namespace plendo::codecs {

void ForEachHeaderSegment(std::span<const std::uint8_t> jpeg,
                          const std::function<bool(std::uint8_t marker, std::span<const std::uint8_t> body)>& visit) {
  if (jpeg.size() < 4 || jpeg[0] != 0xFF || jpeg[1] != 0xD8) return;
  std::size_t at = 2;
  while (at + 4 <= jpeg.size() && jpeg[at] == 0xFF) {
    const std::uint8_t marker = jpeg[at + 1];
    if (marker == 0xFF) {  // fill byte
      ++at;
      continue;
    }
    if (marker == 0xDA || marker == 0xD9) return;
    const std::size_t length = (std::size_t{jpeg[at + 2]} << 8) | jpeg[at + 3];
    if (length < 2 || length > jpeg.size() - at - 2) return;
    if (!visit(marker, jpeg.subspan(at + 4, length - 2))) return;
    at += 2 + length;
  }
}

}  // namespace plendo::codecs
