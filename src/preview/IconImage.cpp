#include "preview/IconImage.h"

#include "codecs/IcoReader.h"
#include "preview/PngImage.h"
#include "preview/StreamBytes.h"

namespace plendo::preview {
namespace {

using platform::Bitmap;
using platform::PixelFormat;

// A PNG entry through the preview's own PNG decoder, as the preview would
// show that PNG on its own: colour and transparency as Draw puts them down.
Bitmap DecodePngEntry(std::span<const std::uint8_t> bytes) {
  TPNGObject png;
  png.LoadFromBytes(bytes);
  Bitmap out(png.GetWidth(), png.GetHeight(), PixelFormat::Bgra32);
  for (int y = 0; y < out.Height(); ++y) {
    std::uint8_t* p = out.Row(y);
    for (int x = 0; x < out.Width(); ++x, p += 4) {
      const platform::Rgba c = png.DisplayedPixel(x, y);
      p[0] = c.b, p[1] = c.g, p[2] = c.r, p[3] = c.a;
    }
  }
  return out;
}

}  // namespace

void TIcon::LoadFromStream(std::istream& stream) {
  bitmap_ = codecs::DecodeIco(ReadRemaining(stream), DecodePngEntry);
  Changed();
}

void TIcon::Draw(platform::Canvas& canvas, const platform::Rect& rect) {
  canvas.StretchBlend(rect, bitmap_);
}

}  // namespace plendo::preview
