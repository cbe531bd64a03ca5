#include "imaging/GifDecoder.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <vector>

#include <gif_lib.h>

#include "imaging/DecodeError.h"

namespace plendo::imaging {
namespace {

using platform::Bitmap;
using platform::PixelFormat;

struct MemoryInput {
  const std::uint8_t* data;
  std::size_t size;
  std::size_t pos;
};

int ReadFromMemory(GifFileType* gif, GifByteType* out, int length) {
  auto* in = static_cast<MemoryInput*>(gif->UserData);
  const std::size_t n = std::min<std::size_t>(static_cast<std::size_t>(std::max(length, 0)), in->size - in->pos);
  std::memcpy(out, in->data + in->pos, n);
  in->pos += n;
  return static_cast<int>(n);
}

struct GifCloser {
  void operator()(GifFileType* gif) const {
    int error = 0;
    DGifCloseFile(gif, &error);
  }
};
using GifHandle = std::unique_ptr<GifFileType, GifCloser>;

[[noreturn]] void Fail(const char* why) { throw DecodeError(std::string("GIF: ") + why); }

// Graphic control extension, as giflib hands it over: [0] block size (4),
// [1] packed flags (bit 0: a transparent index follows), [2..3] delay,
// [4] transparent index. Returns the index or -1.
int TransparentIndex(const GifByteType* block) {
  if (block == nullptr || block[0] < 4) return -1;
  return (block[1] & 0x01) ? block[4] : -1;
}

// Rows of an interlaced frame arrive in four passes: every 8th row from 0,
// every 8th from 4, every 4th from 2, every 2nd from 1.
std::vector<int> RowOrder(int height, bool interlaced) {
  std::vector<int> order;
  order.reserve(static_cast<std::size_t>(height));
  if (!interlaced) {
    for (int y = 0; y < height; ++y) order.push_back(y);
    return order;
  }
  static constexpr int kStart[] = {0, 4, 2, 1};
  static constexpr int kStep[] = {8, 8, 4, 2};
  for (int pass = 0; pass < 4; ++pass)
    for (int y = kStart[pass]; y < height; y += kStep[pass]) order.push_back(y);
  return order;
}

// The current image descriptor's pixels onto a transparent screen.
Bitmap DecodeFrame(GifFileType* gif, int transparent) {
  const GifImageDesc& desc = gif->Image;
  const ColorMapObject* map = desc.ColorMap ? desc.ColorMap : gif->SColorMap;
  if (map == nullptr || map->Colors == nullptr) Fail("no colour table");
  if (desc.Width <= 0 || desc.Height <= 0 || desc.Left < 0 || desc.Top < 0) Fail("bad frame size");
  // A frame reaching past the logical screen widens the picture rather than
  // losing its pixels.
  const int width = std::max(gif->SWidth, desc.Left + desc.Width);
  const int height = std::max(gif->SHeight, desc.Top + desc.Height);
  Bitmap out(width, height, PixelFormat::Bgra32);  // zeroed: transparent

  std::vector<GifPixelType> line(static_cast<std::size_t>(desc.Width));
  int rows_read = 0;
  for (int y : RowOrder(desc.Height, desc.Interlace)) {
    // Data cut off inside the frame keeps what was decoded, as viewers do.
    if (DGifGetLine(gif, line.data(), desc.Width) == GIF_ERROR) {
      if (rows_read == 0) Fail("damaged image data");
      break;
    }
    ++rows_read;
    std::uint8_t* row = out.Row(desc.Top + y) + 4 * static_cast<std::size_t>(desc.Left);
    for (int x = 0; x < desc.Width; ++x) {
      const int index = line[x];
      if (index == transparent) continue;
      std::uint8_t* p = row + 4 * x;
      if (index < map->ColorCount) {
        const GifColorType& c = map->Colors[index];
        p[0] = c.Blue, p[1] = c.Green, p[2] = c.Red;
      }
      p[3] = 255;  // an index past the table shows black
    }
  }
  return out;
}

}  // namespace

Bitmap DecodeGif(std::span<const std::uint8_t> bytes) {
  MemoryInput input{bytes.data(), bytes.size(), 0};
  int error = 0;
  const GifHandle gif(DGifOpen(&input, ReadFromMemory, &error));
  if (!gif) Fail("damaged header");
  int transparent = -1;
  for (;;) {
    GifRecordType type = UNDEFINED_RECORD_TYPE;
    if (DGifGetRecordType(gif.get(), &type) == GIF_ERROR) Fail("damaged record");
    switch (type) {
      case EXTENSION_RECORD_TYPE: {
        int code = 0;
        GifByteType* block = nullptr;
        if (DGifGetExtension(gif.get(), &code, &block) == GIF_ERROR) Fail("damaged extension");
        if (code == GRAPHICS_EXT_FUNC_CODE) transparent = TransparentIndex(block);
        while (block != nullptr)
          if (DGifGetExtensionNext(gif.get(), &block) == GIF_ERROR) Fail("damaged extension");
        break;
      }
      case IMAGE_DESC_RECORD_TYPE:
        if (DGifGetImageDesc(gif.get()) == GIF_ERROR) Fail("damaged image descriptor");
        return DecodeFrame(gif.get(), transparent);
      case TERMINATE_RECORD_TYPE:
        Fail("no image");
      default:
        Fail("unknown record");
    }
  }
}

}  // namespace plendo::imaging
