#pragma once
// WMF and EMF files in the preview: the records are played once at load to
// see that the file draws, then at the size of the rectangle they are shown
// in, so the preview is as sharp as the conversion.
#include <cstdint>
#include <vector>

#include "codecs/Metafile.h"
#include "platform/Bitmap.h"
#include "preview/Graphic.h"

namespace plendo::preview {

class TMetafile : public TGraphic {
 public:
  void Draw(platform::Canvas& canvas, const platform::Rect& rect) override;
  bool GetEmpty() const override { return bytes_.empty(); }
  int GetWidth() const override { return size_.width; }
  int GetHeight() const override { return size_.height; }
  void LoadFromStream(std::istream& stream) override;

 private:
  std::vector<std::uint8_t> bytes_;
  codecs::MetafileSize size_;
  platform::Bitmap drawn_;  // the last draw, kept while the rectangle's size stays
};

}  // namespace plendo::preview
