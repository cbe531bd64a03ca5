#include "preview/IconImage.h"

#include "platform/IcoReader.h"
#include "preview/StreamBytes.h"

namespace plendo::preview {

void TIcon::LoadFromStream(std::istream& stream) {
  bitmap_ = platform::DecodeIco(ReadRemaining(stream), [](std::span<const std::uint8_t>) -> platform::Bitmap {
    throw EInvalidGraphic("PNG 形式のアイコンは表示できません");
  });
  Changed();
}

void TIcon::Draw(platform::Canvas& canvas, const platform::Rect& rect) {
  canvas.StretchBlend(rect, bitmap_);
}

}  // namespace plendo::preview
