#pragma once
// Why a source could not be decoded. Raised by the decoders of this layer and
// caught by TGPBitmap, which turns every failure into a picture of width 0.
#include "platform/Exception.h"

namespace plendo::imaging {

class DecodeError : public Exception {
 public:
  using Exception::Exception;
};

}  // namespace plendo::imaging
