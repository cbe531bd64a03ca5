#pragma once
// Holds the preview's current graphic (at most one). The picture control owns
// a TPicture and repaints when it signals a change.
#include <filesystem>
#include <functional>
#include <memory>
#include <span>

#include "preview/FileFormats.h"
#include "preview/Graphic.h"

namespace plendo::preview {

class TPicture {
 public:
  // Looks extensions up in `formats` (the program's registry by default),
  // which must outlive the picture.
  explicit TPicture(const TFileFormatsList& formats = FileFormats());
  TPicture(const TPicture&) = delete;
  TPicture& operator=(const TPicture&) = delete;

  // Picks the decoder by the file name's extension and loads the file. On any
  // error the previous graphic stays and the error goes to the caller; an
  // extension nobody registered raises EInvalidGraphic
  // "拡張子 .<ext> の画像形式は処理できません" with <ext> as the path writes it.
  void LoadFromFile(const std::filesystem::path& path);

  // Frees the current graphic and signals a change.
  void Clear();
  // Takes `graphic` (may be null) in place of the current one.
  void SetGraphic(std::unique_ptr<TGraphic> graphic);

  TGraphic* Graphic() const { return graphic_.get(); }
  bool Empty() const { return !graphic_ || graphic_->GetEmpty(); }
  int Width() const { return graphic_ ? graphic_->GetWidth() : 0; }
  int Height() const { return graphic_ ? graphic_->GetHeight() : 0; }

  void SetOnChange(std::function<void()> handler) { on_change_ = std::move(handler); }

 private:
  void Changed();

  const TFileFormatsList& formats_;
  std::unique_ptr<TGraphic> graphic_;
  std::function<void()> on_change_;
};

// A graphic of the class registered for the file's extension, loaded from
// the file; raises as TPicture::LoadFromFile does. Safe on any thread.
std::unique_ptr<TGraphic> LoadGraphic(const std::filesystem::path& path,
                                      const TFileFormatsList& formats = FileFormats());

// The same for a file already read into memory: `bytes` are its content.
std::unique_ptr<TGraphic> LoadGraphic(const std::filesystem::path& path, std::span<const std::uint8_t> bytes,
                                      const TFileFormatsList& formats = FileFormats());

// The extension of the file name without its dot, letter case kept: the text
// after the last "." of the name, empty when the name has none.
std::string FileExtensionOf(const std::filesystem::path& path);

}  // namespace plendo::preview
