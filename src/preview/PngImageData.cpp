#include "preview/PngImageData.h"

#include <algorithm>
#include <span>
#include <vector>

#include "preview/PngErrors.h"
#include "preview/PngFilter.h"
#include "preview/PngInflate.h"

namespace plendo::preview {
namespace {

// zlib is fed at most this much of a chunk at a time.
constexpr std::size_t kInputBlock = 65535;

// The inflated bytes of consecutive IDAT chunks as one stream.
class IdatStream {
 public:
  IdatStream(PngBytes file, const PngChunkView& first) : file_(file), chunk_(first) {
    CheckChunkCrc(file_, chunk_);
  }

  // Fills `out` completely; false when the compressed data ends first.
  bool Read(std::span<std::uint8_t> out) {
    std::size_t got = 0;
    while (got < out.size()) {
      if (ended_) return false;
      if (inflater_.InputLeft() == 0 && fed_ < chunk_.data.size()) Feed();
      const auto result = inflater_.Inflate(out.subspan(got));
      got += result.produced;
      ended_ = result.ended;
      if (result.produced != 0 || ended_) continue;
      if (inflater_.InputLeft() != 0) throw EPNGZLIBError(Z_BUF_ERROR);  // stuck: never loop
      if (fed_ == chunk_.data.size()) NextChunk();
    }
    return true;
  }

  std::size_t End() const { return chunk_.end; }

 private:
  void Feed() {
    const std::size_t n = std::min(kInputBlock, chunk_.data.size() - fed_);
    inflater_.SetInput(chunk_.data.subspan(fed_, n));
    fed_ += n;
  }

  void NextChunk() {
    PngChunkView next = ReadChunk(file_, chunk_.end);
    if (next.name != "IDAT") throw EPNGMissingMultipleIDAT();
    CheckChunkCrc(file_, next);
    chunk_ = next;
    fed_ = 0;
  }

  PngBytes file_;
  PngChunkView chunk_;
  std::size_t fed_ = 0;
  bool ended_ = false;
  PngInflater inflater_;
};

struct Pass {
  std::uint32_t x0, y0, dx, dy;
};
constexpr Pass kWholeImage{0, 0, 1, 1};
constexpr Pass kAdam7[7] = {{0, 0, 8, 8}, {4, 0, 8, 8}, {0, 4, 4, 8}, {2, 0, 4, 4},
                            {0, 2, 2, 4}, {1, 0, 2, 2}, {0, 1, 1, 2}};

std::uint32_t PassSpan(std::uint32_t size, std::uint32_t start, std::uint32_t step) {
  return size > start ? (size - start + step - 1) / step : 0;
}

// Decodes one pass; false when the data ran out inside it.
bool DecodePass(IdatStream& in, const Pass& pass, PngRaster& raster, const PngGamma& gamma) {
  const PngHeader& h = raster.header;
  const std::uint32_t width = PassSpan(h.width, pass.x0, pass.dx);
  const std::uint32_t height = PassSpan(h.height, pass.y0, pass.dy);
  if (width == 0 || height == 0) return true;
  // Widths stay under 2^16 and pixels under 64 bits, so this cannot overflow.
  const std::size_t length = (std::size_t{width} * PngBitsPerPixel(h) + 7) / 8;
  const std::size_t offset = PngFilterOffset(h);
  std::vector<std::uint8_t> current(length + 1), previous(length + 1, 0);
  const bool whole_rows = pass.dx == 1;
  for (std::uint32_t r = 0; r < height; ++r) {
    if (!in.Read(current)) return false;
    UnfilterRow(current.data(), previous.data(), length, offset);
    const int y = static_cast<int>(pass.y0 + r * pass.dy);
    const std::uint8_t* samples = current.data() + 1;
    if (!(whole_rows && (raster.StoreRowAsIs(samples, y) || raster.StoreTruecolourRow(samples, y, gamma))))
      for (std::uint32_t i = 0; i < width; ++i)
        raster.StorePixel(samples, i, static_cast<int>(pass.x0 + i * pass.dx), y, gamma);
    current.swap(previous);
  }
  return true;
}

}  // namespace

std::size_t DecodeImageData(PngBytes file, const PngChunkView& first, PngRaster& raster,
                            const PngGamma& gamma) {
  IdatStream in(file, first);
  if (raster.header.interlace == 0) {
    DecodePass(in, kWholeImage, raster, gamma);
  } else {
    for (const Pass& pass : kAdam7)
      if (!DecodePass(in, pass, raster, gamma)) break;
  }
  return in.End();
}

}  // namespace plendo::preview
