#include "preview/Metafile.h"

namespace plendo::preview {

void TMetafile::LoadFromStream(std::istream&) {
  throw EInvalidGraphic("メタファイル (WMF/EMF) の表示には対応していません");
}

}  // namespace plendo::preview
