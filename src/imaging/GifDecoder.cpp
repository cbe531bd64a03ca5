#include "imaging/GifDecoder.h"

#include <algorithm>
#include <memory>
#include <vector>

#include <gif_lib.h>

#include "imaging/DecodeError.h"
#include "imaging/MemoryInput.h"

namespace plendo::imaging {
namespace {

using platform::Bitmap;
using platform::PixelFormat;

constexpr std::size_t kNowhere = ~std::size_t{0};

// giflib's input: the caller's bytes, and where the next image's LZW minimum
// code size lies. giflib refuses a code size above 8; the preview takes such
// a size as 8, and so does the conversion: the byte is read as 8.
struct GifInput {
  MemoryInput bytes;
  std::size_t code_size_at = kNowhere;
};

int ReadFromMemory(GifFileType* gif, GifByteType* out, int length) {
  auto* in = static_cast<GifInput*>(gif->UserData);
  const std::size_t from = in->bytes.pos;
  const std::size_t n = in->bytes.Read(out, static_cast<std::size_t>(std::max(length, 0)));
  if (in->code_size_at >= from && in->code_size_at - from < n) {
    GifByteType& code_size = out[in->code_size_at - from];
    code_size = std::min<GifByteType>(code_size, 8);
    in->code_size_at = kNowhere;
  }
  return static_cast<int>(n);
}

// An image descriptor at `at` (after its separator): left, top, width,
// height (2 bytes each), flags (bit 7: local table, bits 0-2: its size
// code), the local table, then the code size byte.
std::size_t CodeSizeOffset(const MemoryInput& in) {
  const std::size_t at = in.pos;
  if (in.Remaining() < 9) return kNowhere;
  const std::uint8_t flags = in.data[at + 8];
  return at + 9 + ((flags & 0x80) ? 3 * (std::size_t{2} << (flags & 7)) : 0);
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

// The logical screen, transparent. A file that gives no screen size takes
// the first image's extent.
Bitmap MakeScreen(const GifFileType* gif) {
  const GifImageDesc& desc = gif->Image;
  const int width = gif->SWidth > 0 ? gif->SWidth : desc.Left + desc.Width;
  const int height = gif->SHeight > 0 ? gif->SHeight : desc.Top + desc.Height;
  if (width <= 0 || height <= 0) Fail("no screen size");
  return Bitmap(width, height, PixelFormat::Bgra32);  // zeroed: transparent
}

// An image of no pixels still has its (empty) data blocks to pass over.
bool SkipImageData(GifFileType* gif) {
  int code_size = 0;
  GifByteType* block = nullptr;
  if (DGifGetCode(gif, &code_size, &block) == GIF_ERROR) return false;
  while (block != nullptr)
    if (DGifGetCodeNext(gif, &block) == GIF_ERROR) return false;
  return true;
}

// A file with neither a global nor a local table shows its indices as
// levels of grey.
const ColorMapObject* GreyRamp() {
  static const std::vector<GifColorType> kLevels = [] {
    std::vector<GifColorType> levels(256);
    for (int i = 0; i < 256; ++i) levels[i] = {GifByteType(i), GifByteType(i), GifByteType(i)};
    return levels;
  }();
  static const ColorMapObject kRamp{256, 8, false, const_cast<GifColorType*>(kLevels.data())};
  return &kRamp;
}

// The current image's pixels onto the screen; parts outside the screen are
// dropped. Returns the number of rows decoded (data cut off inside the image
// keeps the rows before it, as viewers do), -1 for an image without colours
// or size.
int DrawImage(GifFileType* gif, Bitmap& screen, int transparent) {
  const GifImageDesc& desc = gif->Image;
  const ColorMapObject* map = desc.ColorMap ? desc.ColorMap : gif->SColorMap ? gif->SColorMap : GreyRamp();
  if (desc.Width <= 0 || desc.Height <= 0) return SkipImageData(gif) ? 0 : -1;
  if (map->Colors == nullptr || desc.Left < 0 || desc.Top < 0) return -1;
  const int visible = std::clamp(screen.Width() - desc.Left, 0, desc.Width);

  std::vector<GifPixelType> line(static_cast<std::size_t>(desc.Width));
  int rows_read = 0;
  for (int y : RowOrder(desc.Height, desc.Interlace)) {
    if (DGifGetLine(gif, line.data(), desc.Width) == GIF_ERROR) break;
    ++rows_read;
    if (desc.Top + y >= screen.Height()) continue;
    std::uint8_t* row = screen.Row(desc.Top + y) + 4 * static_cast<std::size_t>(desc.Left);
    for (int x = 0; x < visible; ++x) {
      const int index = line[x];
      if (index == transparent) continue;
      std::uint8_t* p = row + 4 * x;
      if (index < map->ColorCount) {
        const GifColorType& c = map->Colors[index];
        p[0] = c.Blue, p[1] = c.Green, p[2] = c.Red;
      } else {
        p[0] = p[1] = p[2] = 0;  // an index past the table shows black
      }
      p[3] = 255;
    }
  }
  return rows_read;
}

// The screen area the images of a frame have covered so far. The images of
// a "true colour" GIF are tiles of 256 colours each, none with a graphic
// control extension of its own, side by side and each drawn once.
class Tiles {
 public:
  // Whether the image at `desc` can join the tiles drawn so far.
  bool Fits(const GifImageDesc& desc, const Bitmap& screen) const {
    if (covered_ >= Area(screen.Width(), screen.Height())) return false;
    return std::none_of(placed_.begin(), placed_.end(), [&](const GifImageDesc& p) {
      return desc.Left < p.Left + p.Width && p.Left < desc.Left + desc.Width && desc.Top < p.Top + p.Height &&
             p.Top < desc.Top + desc.Height;
    });
  }
  void Add(const GifImageDesc& desc, const Bitmap& screen) {
    placed_.push_back(desc);
    const int width = std::clamp(screen.Width() - desc.Left, 0, desc.Width);
    const int height = std::clamp(screen.Height() - desc.Top, 0, desc.Height);
    covered_ += Area(width, height);
  }

 private:
  static std::uint64_t Area(int width, int height) { return std::uint64_t(width) * std::uint64_t(height); }
  std::vector<GifImageDesc> placed_;
  std::uint64_t covered_ = 0;
};

}  // namespace

// The first frame: the first image, with the images after it while they are
// tiles of one picture (each without a graphic control extension, none
// overlapping another, until the screen is covered).
Bitmap DecodeGif(std::span<const std::uint8_t> bytes) {
  GifInput input{{bytes.data(), bytes.size()}};
  int error = 0;
  const GifHandle gif(DGifOpen(&input, ReadFromMemory, &error));
  if (!gif) Fail("damaged header");
  Bitmap screen;
  bool drawn = false;  // something is on the screen; later damage keeps it
  int transparent = -1;
  bool controlled = false;  // a graphic control extension leads the next image
  Tiles tiles;
  for (;;) {
    GifRecordType type = UNDEFINED_RECORD_TYPE;
    if (DGifGetRecordType(gif.get(), &type) == GIF_ERROR) {
      if (drawn) return screen;
      Fail("damaged record");
    }
    switch (type) {
      case EXTENSION_RECORD_TYPE: {
        int code = 0;
        GifByteType* block = nullptr;
        bool ok = DGifGetExtension(gif.get(), &code, &block) != GIF_ERROR;
        if (ok && code == GRAPHICS_EXT_FUNC_CODE) {
          if (drawn) return screen;  // the next frame begins
          transparent = TransparentIndex(block);
          controlled = true;
        }
        while (ok && block != nullptr) ok = DGifGetExtensionNext(gif.get(), &block) != GIF_ERROR;
        if (!ok) {
          if (drawn) return screen;
          Fail("damaged extension");
        }
        break;
      }
      case IMAGE_DESC_RECORD_TYPE: {
        input.code_size_at = CodeSizeOffset(input.bytes);
        if (DGifGetImageDesc(gif.get()) == GIF_ERROR) {
          if (drawn) return screen;
          Fail("damaged image descriptor");
        }
        if (screen.Empty()) screen = MakeScreen(gif.get());
        if (drawn && !tiles.Fits(gif->Image, screen)) return screen;
        const int rows = DrawImage(gif.get(), screen, transparent);
        if (rows < 0) {
          if (drawn) return screen;
          Fail("damaged image");
        }
        if (rows == 0 && gif->Image.Height > 0 && gif->Image.Width > 0 && !drawn) Fail("damaged image data");
        drawn = true;
        if (controlled || rows < gif->Image.Height) return screen;
        tiles.Add(gif->Image, screen);
        break;
      }
      case TERMINATE_RECORD_TYPE:
        if (drawn) return screen;
        Fail("no image");
      default:
        if (drawn) return screen;
        Fail("unknown record");
    }
  }
}

}  // namespace plendo::imaging
