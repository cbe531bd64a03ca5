#include "preview/IconImage.h"

#include "codecs/IcoReader.h"
#include "preview/StreamBytes.h"

namespace plendo::preview {

void TIcon::LoadFromStream(std::istream& stream) {
  // No PNG decoder in the preview yet: PNG entries are passed over and the
  // best DIB entry is shown; an icon of PNG entries only fails to load.
  bitmap_ = codecs::DecodeIco(ReadRemaining(stream), codecs::PngBytesDecoder{});
  Changed();
}

void TIcon::Draw(platform::Canvas& canvas, const platform::Rect& rect) {
  canvas.StretchBlend(rect, bitmap_);
}

}  // namespace plendo::preview
