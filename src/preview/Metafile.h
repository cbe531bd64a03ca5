#pragma once
// WMF and EMF files: registered so that their extensions are known, but we
// have no metafile player, so loading always fails with EInvalidGraphic.
#include "preview/Graphic.h"

namespace plendo::preview {

class TMetafile : public TGraphic {
 public:
  void Draw(platform::Canvas&, const platform::Rect&) override {}
  bool GetEmpty() const override { return true; }
  int GetWidth() const override { return 0; }
  int GetHeight() const override { return 0; }
  void LoadFromStream(std::istream& stream) override;
};

}  // namespace plendo::preview
