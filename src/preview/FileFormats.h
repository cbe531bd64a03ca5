#pragma once
// The registry that picks the preview decoder by file extension. Entries keep
// the order they were added in; lookups run from the last entry to the first,
// so a later registration of an extension wins.
//
// The process-wide registry (FileFormats()) is built on first use: the four
// platform formats (wmf, emf, ico, bmp), then each decoder module's own
// entries in module start-up order. It is not changed afterwards.
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "preview/Graphic.h"

namespace plendo::preview {

// "The class to instantiate": a factory for one graphic type.
using TGraphicClass = std::unique_ptr<TGraphic> (*)();

template <class T>
std::unique_ptr<TGraphic> NewGraphic() {
  return std::make_unique<T>();
}
template <class T>
inline constexpr TGraphicClass GraphicClassOf = &NewGraphic<T>;

struct TFileFormat {
  std::string extension;    // lower case, without the dot
  std::string description;  // for file dialogs, which we never show
  TGraphicClass graphic_class = nullptr;
  int description_resource = 0;
};

class TFileFormatsList {
 public:
  // Starts with the platform formats: wmf, emf, ico, bmp.
  TFileFormatsList();

  // Appends an entry; `extension` is lower-cased on the way in.
  void RegisterFileFormat(std::string_view extension, std::string_view description,
                          TGraphicClass graphic_class);
  // The class of the last entry whose extension equals `extension` lower-cased.
  std::optional<TGraphicClass> FindExt(std::string_view extension) const;

  const std::vector<TFileFormat>& Entries() const { return entries_; }

 private:
  std::vector<TFileFormat> entries_;
};

// ASCII letters only; other bytes (UTF-8 sequences) pass unchanged.
std::string LowerCaseAscii(std::string_view text);

// The program's registry, with every decoder module registered.
const TFileFormatsList& FileFormats();

// Which of the program's preview decoders a file name's extension picks;
// None where no decoder is registered for it.
enum class PreviewDecoder { None, Metafile, Icon, Bitmap, Jpeg, Gif, Png, Photo };
PreviewDecoder PreviewDecoderFor(std::string_view extension);

}  // namespace plendo::preview
