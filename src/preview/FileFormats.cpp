#include "preview/FileFormats.h"

#include <algorithm>

#include "preview/BitmapImage.h"
#include "preview/GifImage.h"
#include "preview/IconImage.h"
#include "preview/JpegImage.h"
#include "preview/Metafile.h"
#include "preview/PhotoImage.h"
#include "preview/PngImage.h"

namespace plendo::preview {

std::string LowerCaseAscii(std::string_view text) {
  std::string lower(text);
  std::transform(lower.begin(), lower.end(), lower.begin(), [](char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
  });
  return lower;
}

TFileFormatsList::TFileFormatsList() {
  RegisterFileFormat("wmf", "メタファイル", GraphicClassOf<TMetafile>);
  RegisterFileFormat("emf", "エンハンス メタファイル", GraphicClassOf<TMetafile>);
  RegisterFileFormat("ico", "アイコン", GraphicClassOf<TIcon>);
  RegisterFileFormat("bmp", "ビットマップ", GraphicClassOf<TBitmap>);
}

void TFileFormatsList::RegisterFileFormat(std::string_view extension,
                                          std::string_view description,
                                          TGraphicClass graphic_class) {
  entries_.push_back({LowerCaseAscii(extension), std::string(description), graphic_class, 0});
}

std::optional<TGraphicClass> TFileFormatsList::FindExt(std::string_view extension) const {
  const std::string wanted = LowerCaseAscii(extension);
  for (auto it = entries_.rbegin(); it != entries_.rend(); ++it)
    if (it->extension == wanted) return it->graphic_class;
  return std::nullopt;
}

const TFileFormatsList& FileFormats() {
  // Decoder modules register in their start-up order: JPEG, then GIF, then
  // PNG; the photo formats of phones and the web come last.
  static const TFileFormatsList formats = [] {
    TFileFormatsList list;
    RegisterJpegFormats(list);
    RegisterGifFormats(list);
    RegisterPngFormats(list);
    RegisterPhotoFormats(list);
    return list;
  }();
  return formats;
}

PreviewDecoder PreviewDecoderFor(std::string_view extension) {
  const std::optional<TGraphicClass> found = FileFormats().FindExt(extension);
  if (!found) return PreviewDecoder::None;
  const TGraphicClass c = *found;
  if (c == GraphicClassOf<TMetafile>) return PreviewDecoder::Metafile;
  if (c == GraphicClassOf<TIcon>) return PreviewDecoder::Icon;
  if (c == GraphicClassOf<TBitmap>) return PreviewDecoder::Bitmap;
  if (c == GraphicClassOf<TJPEGImage>) return PreviewDecoder::Jpeg;
  if (c == GraphicClassOf<TGIFImage>) return PreviewDecoder::Gif;
  if (c == GraphicClassOf<TPNGObject>) return PreviewDecoder::Png;
  if (c == GraphicClassOf<TPhotoImage>) return PreviewDecoder::Photo;
  return PreviewDecoder::None;
}

}  // namespace plendo::preview
