#include "codecs/JpegError.h"

#include <string>

namespace plendo::codecs {
namespace {

[[noreturn]] void ErrorExit(j_common_ptr cinfo) {
  auto* manager = reinterpret_cast<JpegErrorManager*>(cinfo->err);
  manager->code = cinfo->err->msg_code;
  std::longjmp(manager->jump, 1);
}

void EmitMessage(j_common_ptr, int) {}  // warnings and traces are dropped
void OutputMessage(j_common_ptr) {}

}  // namespace

jpeg_error_mgr* InstallJpegErrorManager(JpegErrorManager& manager) {
  jpeg_std_error(&manager.pub);
  manager.pub.error_exit = ErrorExit;
  manager.pub.emit_message = EmitMessage;
  manager.pub.output_message = OutputMessage;
  return &manager.pub;
}

EJPEG::EJPEG(int code) : Exception("JPEG エラー #" + std::to_string(code)), code_(code) {}

}  // namespace plendo::codecs
