#include "app/PathShortening.h"

namespace plendo::app {

std::string ShortenPath(const std::string& path, int maxWidth, const TextWidth& width,
                        PathStyle style) {
  const char sep = style.separator;
  const std::string ellipsis = std::string("...") + sep;  // stands for cut folders

  std::string result = path;
  const auto lastSep = path.rfind(sep);
  std::string dir = lastSep == std::string::npos ? std::string() : path.substr(0, lastSep + 1);
  const std::string name = lastSep == std::string::npos ? path : path.substr(lastSep + 1);
  std::string drive;
  if (style.drives && dir.size() >= 2 && dir[1] == ':') {
    drive = dir.substr(0, 2);
    dir.erase(0, 2);
  }

  // Every round shortens dir or empties drive, so the loop ends.
  while ((!dir.empty() || !drive.empty()) && width(result) > maxWidth) {
    if (dir == sep + ellipsis) {
      drive.clear();
      dir = ellipsis;
    } else if (dir.empty()) {
      drive.clear();
    } else if (dir.size() == 1 && dir[0] == sep) {
      dir.clear();
    } else {
      const bool rooted = dir[0] == sep;
      if (rooted) dir.erase(0, 1);
      // Only an ellipsis put there by an earlier round is dropped whole; a
      // folder that merely begins with a dot (.config) is cut like any other.
      if (dir.compare(0, ellipsis.size(), ellipsis) == 0) dir.erase(0, ellipsis.size());
      const auto cut = dir.find(sep);
      dir = cut == std::string::npos ? std::string() : ellipsis + dir.substr(cut + 1);
      if (rooted) dir.insert(dir.begin(), sep);
    }
    result = drive + dir + name;
  }
  return result;
}

}  // namespace plendo::app
