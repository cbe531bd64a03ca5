#pragma once
#include "platform/Exception.h"

namespace plendo::platform {

// A bitmap whose size is negative or whose pixels would pass the buffer limit.
class BitmapTooLarge : public Exception {
 public:
  BitmapTooLarge() : Exception("bitmap too large") {}
};

}  // namespace plendo::platform
