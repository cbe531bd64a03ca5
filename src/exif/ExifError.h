#pragma once
// The EXIF component's error: "TExifInfo: " and the text of its code.
#include <string>

#include "platform/Exception.h"

namespace plendo::exif {

inline constexpr int kExifFileNotFound = -1;
inline constexpr int kExifNotExif = -2;
inline constexpr int kExifUnknownComment = -3;
inline constexpr int kExifNotAscii = -4;
inline constexpr int kExifBadStream = -5;
inline constexpr int kExifBadIndex = -6;
inline constexpr int kExifTagNotFound = -7;
inline constexpr int kExifUnknownDate = -8;

// The text of an error code; "不明なエラーです" for a code not in the table.
std::string ExifErrorText(int code);

class EExifError : public Exception {
 public:
  // From a code of the table (DoError).
  explicit EExifError(int code);
  // Raised directly with its own text, not through DoError; Code() is 0.
  static EExifError WithText(const std::string& text);

  int Code() const { return code_; }

 private:
  EExifError(int code, const std::string& text);
  int code_;
};

// Texts of the failures the writer raises directly.
inline constexpr const char* kNotAnImageText = "有効な画像ファイルではありません";
inline constexpr const char* kBlockTooLargeText = "Exif 情報が大きすぎます";

// A damaged block found while parsing: an offset or count outside the file,
// a bad byte-order mark. Caught by the parse and reported as code -5.
class EExifDamaged : public Exception {
 public:
  EExifDamaged() : Exception("damaged EXIF block") {}
};

// Raises EExifDamaged unless `condition` holds.
inline void Enforce(bool condition) {
  if (!condition) throw EExifDamaged();
}

}  // namespace plendo::exif
