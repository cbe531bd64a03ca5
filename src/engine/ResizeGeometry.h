#pragma once
// Target size and output name of one file: which side the chosen size
// applies to, and the name that carries the size box's text.
#include <cstdint>
#include <string>

#include "engine/BatchParameters.h"

namespace plendo::engine {

struct TargetSize {
  double width = 0;   // not rounded: the draw covers 853.33 rows of an 853-row bitmap
  double height = 0;
  const char* suffix = "_";  // "_" at actual size, "_w" by width, "_v" by height
};

// The long side is the width for a square source. At actual size both sides
// are the source's, whichever side was chosen. With `no_enlarge` a source
// whose chosen side is already at or below the size keeps its own size, and
// the suffix of the side it was measured by, so the batch's names stay alike.
TargetSize ComputeTargetSize(std::uint32_t source_width, std::uint32_t source_height, const SizeChoice& size,
                             SizeSide side, bool no_enlarge = false);

// Base name, size suffix, the size box's text exactly as shown, mark, extension.
std::string ComposeOutName(const std::string& source_path, const char* suffix, const std::string& size_text,
                           const TGlobalWorkValue& work);

}  // namespace plendo::engine
