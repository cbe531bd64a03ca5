#pragma once
// The GIF decoder's one error class and its fixed English messages. Problems
// that merely make a file odd are warnings instead (TGIFImage::Warning) and
// never reach the caller.
#include <string>

#include "platform/Exception.h"

namespace plendo::preview {

class GIFException : public Exception {
 public:
  using Exception::Exception;
};

// Each side and the screen fit their fields, but the pixels pass what the
// preview will hold in memory. Still a GIFException to anyone catching those.
class EGIFTooLarge : public GIFException {
 public:
  EGIFTooLarge() : GIFException("GIF image is too large for the preview") {}
};

namespace gif_text {
// Fatal.
inline constexpr const char* kInvalidSignature = "Invalid GIF signature";
inline constexpr const char* kPrematureEnd = "Premature end of data";
inline constexpr const char* kUnknownExtension = "Unknown extension type";
inline constexpr const char* kInvalidIntroducer = "Invalid extension introducer";
inline constexpr const char* kExtensionMismatch =
    "Internal error: Extension Instance does not match Extension Label";
inline constexpr const char* kAppExtensionSize = "Unsupported Application Extension block size";
inline constexpr const char* kInvalidData = "Invalid GIF data";
inline constexpr const char* kCircularEntry = "Circular decoder table entry";
inline constexpr const char* kNoColorTable = "No global or local color table defined";
// Warnings only (kPrematureEnd and kInvalidIntroducer are both, by place).
inline constexpr const char* kUnknownBlock = "Unknown GIF block type";
inline constexpr const char* kInvalidTrailer = "Invalid Image trailer";
inline constexpr const char* kExceedsScreen = "Image exceeds Logical Screen size";
inline constexpr const char* kBitBufferUnderrun = "Decoder bit buffer under-run";
}  // namespace gif_text

}  // namespace plendo::preview
