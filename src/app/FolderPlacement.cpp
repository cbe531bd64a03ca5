#include "app/FolderPlacement.h"

#include <algorithm>

namespace plendo::app {

ScreenPoint PlaceBrowseDialog(std::int32_t X, std::int32_t Y, std::int32_t SW, std::int32_t SH,
                              std::int32_t W, std::int32_t H) {
  if (X == 0 || Y == 0) {
    X = (SW - W) / 2;
    Y = (SH - H) / 2;
  }
  return {std::max(std::min(X, SW - W), 0), std::max(std::min(Y, SH - H), 0)};
}

}  // namespace plendo::app
