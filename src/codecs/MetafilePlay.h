#pragma once
// What playing a file's records came to, shared by the EMF, EMF+ and WMF
// players, and the drawing of a metafile held inside another.
#include <cstdint>
#include <span>

#include "codecs/MetafileState.h"

namespace plendo::codecs::metafile {

struct PlayResult {
  bool drew = false;         // some record drew something
  bool broken = false;       // a record ran past the end or the chain broke; play stopped there
  bool emf_plus = false;     // EMF+ records were seen
  bool plus_broken = false;  // an EMF+ record was damaged; the EMF+ records after it were not played
};

// A WMF or EMF file drawn at width x height pixels on a transparent
// surface, for a picture that holds it. `depth`: how many pictures it is
// inside. Null when it cannot be read.
SurfacePtr DrawNestedMetafile(std::span<const std::uint8_t> bytes, int width, int height, int depth);

}  // namespace plendo::codecs::metafile
