#pragma once
// Every way a PNG can fail in the preview has its own class, each with its
// fixed English message. They all share the base PngFailure so that a caller
// can catch "any PNG problem" in one place.
#include <string>

#include "platform/Exception.h"

namespace plendo::preview {

class PngFailure : public Exception {
 public:
  using Exception::Exception;
};

#define PLENDO_PNG_ERROR(Name, Text)                        \
  class Name : public PngFailure {                          \
   public:                                                  \
    static constexpr const char* kMessage = Text;           \
    Name() : PngFailure(kMessage) {}                        \
                                                            \
   protected:                                               \
    explicit Name(const std::string& text) : PngFailure(text) {} \
  }

PLENDO_PNG_ERROR(EPNGInvalidFileHeader,
                 "The file being readed is not a valid \"Portable Network Graphics\" image because it "
                 "contains an invalid header. This file may be corruped, try obtaining it again.");
PLENDO_PNG_ERROR(EPngUnexpectedEnd,
                 "This \"Portable Network Graphics\" image is invalid because the decoder found an "
                 "unexpected end of the file.");
PLENDO_PNG_ERROR(EPNGIHDRNotFirst,
                 "This \"Portable Network Graphics\" image is not supported or it might be invalid.\r\n"
                 "(IHDR chunk is not the first)");
PLENDO_PNG_ERROR(EPNGUnknownCriticalChunk,
                 "This \"Portable Network Graphics\" image contains an unknown critical part which could "
                 "not be decoded.");
PLENDO_PNG_ERROR(EPngInvalidCRC,
                 "This \"Portable Network Graphics\" image is not valid because it contains invalid pieces "
                 "of data (crc error)");
PLENDO_PNG_ERROR(EPngInvalidIHDR,
                 "The \"Portable Network Graphics\" image could not be loaded because one of its main piece "
                 "of data (ihdr) might be corrupted");
PLENDO_PNG_ERROR(EPNGSizeExceeds,
                 "This \"Portable Network Graphics\" image is not supported because either it's width or "
                 "height exceeds the maximum size, which is 65535 pixels length.");
PLENDO_PNG_ERROR(EPNGUnknownCompression,
                 "This \"Portable Network Graphics\" image is encoded with an unknown compression scheme "
                 "which could not be decoded.");
PLENDO_PNG_ERROR(EPNGUnknownInterlace,
                 "This \"Portable Network Graphics\" image uses an unknown interlace scheme which could "
                 "not be decoded.");
PLENDO_PNG_ERROR(EPNGInvalidPalette,
                 "The \"Portable Network Graphics\" image contains an invalid palette.");
PLENDO_PNG_ERROR(EPNGMissingMultipleIDAT,
                 "This \"Portable Network Graphics\" image is invalid because it has missing image parts.");
PLENDO_PNG_ERROR(EPNGNoImageData, "This \"Portable Network Graphics\" image contains no data.");
PLENDO_PNG_ERROR(EPngError, "There is no such palette entry.");
PLENDO_PNG_ERROR(EPNGOutMemory,
                 "Some operation could not be performed because the system is out of resources. Close "
                 "some windows and try again.");
PLENDO_PNG_ERROR(EPNGHeaderNotPresent,
                 "This operation is not valid because the current image contains no valid header.");

#undef PLENDO_PNG_ERROR

// Each side fits in 65535 but together they pass the pixels the preview will
// hold in memory. Still a size error to anyone catching EPNGSizeExceeds.
class EPNGTooManyPixels : public EPNGSizeExceeds {
 public:
  EPNGTooManyPixels()
      : EPNGSizeExceeds("This \"Portable Network Graphics\" image is not supported because it has "
                        "more pixels than the preview can hold.") {}
};

// zlib refused the image data; the message ends in zlib's own word for why.
class EPNGZLIBError : public PngFailure {
 public:
  explicit EPNGZLIBError(int zlib_code);
  int Code() const { return code_; }

 private:
  int code_;
};

// zlib's text for a result code as the message shows it: "data error (-3)".
std::string ZlibCodeText(int zlib_code);

}  // namespace plendo::preview
