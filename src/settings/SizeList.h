#pragma once
// The size box's built-in items: "原寸" (actual size) first, then the sizes
// in pixels. Item index 0 always means actual-size mode.
#include <string>
#include <vector>

namespace plendo::settings {

inline constexpr char kActualSizeItem[] = "原寸";

const std::vector<std::string>& DefaultSizeList();

}  // namespace plendo::settings
