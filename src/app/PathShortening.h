#pragma once
// Shortens a folder path to fit a pixel width by replacing leading folders
// with "...": /home/u/photo/2020/trip becomes /.../photo/2020/trip, then
// /.../2020/trip, /.../trip, .../trip and finally trip, stopping as soon as
// the text fits. Written against the path separator; a drive ("D:") is kept
// in front only where paths have drives.
#include <functional>
#include <string>

namespace plendo::app {

// Width of a text in pixels, in the font the caption is measured with.
using TextWidth = std::function<int(const std::string&)>;

struct PathStyle {
  char separator = '/';
  bool drives = false;  // "X:" at the front of a path is a drive
};

inline constexpr PathStyle kNativePathStyle{};

std::string ShortenPath(const std::string& path, int maxWidth, const TextWidth& width,
                        PathStyle style = kNativePathStyle);

}  // namespace plendo::app
