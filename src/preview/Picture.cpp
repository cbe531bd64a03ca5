#include "preview/Picture.h"

#include <istream>
#include <streambuf>
#include <string>

namespace plendo::preview {

std::string FileExtensionOf(const std::filesystem::path& path) {
  // Only the file name counts: a dot in a folder name is no extension.
  const std::string name = path.filename().string();
  const auto dot = name.rfind('.');
  return dot == std::string::npos ? std::string() : name.substr(dot + 1);
}

TPicture::TPicture(const TFileFormatsList& formats) : formats_(formats) {}

namespace {

std::unique_ptr<TGraphic> NewGraphicFor(const std::filesystem::path& path, const TFileFormatsList& formats) {
  const std::string extension = FileExtensionOf(path);
  const auto graphic_class = formats.FindExt(extension);
  if (!graphic_class)
    throw EInvalidGraphic("拡張子 ." + extension + " の画像形式は処理できません");
  return (*graphic_class)();
}

// Reads bytes in memory as a stream, without copying them.
class MemoryStreamBuffer : public std::streambuf {
 public:
  explicit MemoryStreamBuffer(std::span<const std::uint8_t> bytes) {
    char* begin = const_cast<char*>(reinterpret_cast<const char*>(bytes.data()));
    setg(begin, begin, begin + bytes.size());
  }
};

}  // namespace

std::unique_ptr<TGraphic> LoadGraphic(const std::filesystem::path& path, const TFileFormatsList& formats) {
  std::unique_ptr<TGraphic> graphic = NewGraphicFor(path, formats);
  graphic->LoadFromFile(path);
  return graphic;
}

std::unique_ptr<TGraphic> LoadGraphic(const std::filesystem::path& path, std::span<const std::uint8_t> bytes,
                                      const TFileFormatsList& formats) {
  std::unique_ptr<TGraphic> graphic = NewGraphicFor(path, formats);
  MemoryStreamBuffer buffer(bytes);
  std::istream stream(&buffer);
  graphic->LoadFromStream(stream);
  return graphic;
}

void TPicture::LoadFromFile(const std::filesystem::path& path) {
  SetGraphic(LoadGraphic(path, formats_));  // a failure leaves graphic_ untouched
}

void TPicture::Clear() { SetGraphic(nullptr); }

void TPicture::SetGraphic(std::unique_ptr<TGraphic> graphic) {
  graphic_ = std::move(graphic);
  if (graphic_) graphic_->SetOnChange([this] { Changed(); });
  Changed();
}

void TPicture::Changed() {
  if (on_change_) on_change_();
}

}  // namespace plendo::preview
