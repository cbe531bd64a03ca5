#pragma once
// libjpeg reports fatal errors through error_exit, which must not return. We
// never throw through libjpeg's C frames: error_exit longjmps back to the
// function that set the jump point, which cleans up and throws EJPEG.
//
//   JpegErrorManager err;
//   cinfo.err = InstallJpegErrorManager(err);
//   if (setjmp(err.jump)) { jpeg_destroy_...(&cinfo); throw EJPEG(err.code); }
//
// Only objects built before setjmp may be used after the jump. Warnings are
// discarded, so a file whose data is cut off still gives what was decoded.
#include <csetjmp>
#include <cstdio>

#include <jpeglib.h>

#include "platform/Exception.h"

namespace plendo::codecs {

struct JpegErrorManager {
  jpeg_error_mgr pub{};
  std::jmp_buf jump{};
  int code = 0;
};

jpeg_error_mgr* InstallJpegErrorManager(JpegErrorManager& manager);

// The JPEG error: "JPEG エラー #<libjpeg message code>".
class EJPEG : public Exception {
 public:
  explicit EJPEG(int code);
  int Code() const { return code_; }

 private:
  int code_;
};

}  // namespace plendo::codecs
