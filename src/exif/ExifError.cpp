#include "exif/ExifError.h"

namespace plendo::exif {

std::string ExifErrorText(int code) {
  switch (code) {
    case kExifFileNotFound: return "ファイルが見つかりません";
    case kExifNotExif: return "Exif、またはDCF形式ではありません";
    case kExifUnknownComment: return "ユーザコメントは不明な形式です";
    case kExifNotAscii: return "ASCII文字以外は書き込みできません";
    case kExifBadStream: return "不正なストリーム";
    case kExifBadIndex: return "不正なインデックス";
    case kExifTagNotFound: return "タグが見つかりません";
    case kExifUnknownDate: return "日時は不明です";
    default: return "不明なエラーです";
  }
}

EExifError::EExifError(int code) : EExifError(code, ExifErrorText(code)) {}

EExifError::EExifError(int code, const std::string& text) : Exception("TExifInfo: " + text), code_(code) {}

EExifError EExifError::WithText(const std::string& text) { return EExifError(0, text); }

}  // namespace plendo::exif
