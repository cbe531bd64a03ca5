#pragma once
// A metafile we cannot show: a header we cannot read, a record that runs past
// the end before anything was drawn, or a picture that only EMF+ records draw.
#include "platform/Exception.h"

namespace plendo::codecs {

class MetafileError : public Exception {
 public:
  using Exception::Exception;
};

}  // namespace plendo::codecs
