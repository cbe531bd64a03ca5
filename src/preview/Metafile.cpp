#include "preview/Metafile.h"

#include "preview/StreamBytes.h"

namespace plendo::preview {

void TMetafile::LoadFromStream(std::istream& stream) {
  std::vector<std::uint8_t> bytes = ReadRemaining(stream);
  try {
    size_ = codecs::InspectMetafile(bytes);
  } catch (const codecs::MetafileError&) {
    throw EInvalidGraphic("メタファイル (WMF/EMF) を表示できません");
  }
  bytes_ = std::move(bytes);
  drawn_ = platform::Bitmap();
  Changed();
}

void TMetafile::Draw(platform::Canvas& canvas, const platform::Rect& rect) {
  if (bytes_.empty() || rect.Empty()) return;
  if (drawn_.Width() != rect.Width() || drawn_.Height() != rect.Height()) {
    platform::Bitmap pixels(rect.Width(), rect.Height(), platform::PixelFormat::Bgr24);
    pixels.Fill(0xFF);
    try {
      codecs::DrawMetafile(bytes_, pixels, rect.Width(), rect.Height());
    } catch (const codecs::MetafileError&) {
      // Loading has drawn it once; what was drawn now stays.
    }
    drawn_ = std::move(pixels);
  }
  canvas.StretchDraw(rect, drawn_);
}

}  // namespace plendo::preview
