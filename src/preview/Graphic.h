#pragma once
// The decoded image the preview shows. Every preview decoder (BMP, ICO,
// metafile, JPEG, and later GIF and PNG) derives from TGraphic; TPicture holds
// one and the panel's picture control draws it.
#include <filesystem>
#include <functional>
#include <istream>
#include <string>

#include "platform/Canvas.h"
#include "platform/Exception.h"

namespace plendo::preview {

// A file whose graphic cannot be made: unknown extension, a format we do not
// show, or a file beyond what we are willing to hold.
class EInvalidGraphic : public Exception {
 public:
  using Exception::Exception;
};

// The file could not be opened for reading (missing, a folder, no access).
class EFOpenError : public Exception {
 public:
  using Exception::Exception;
};

class TGraphic {
 public:
  TGraphic() = default;
  TGraphic(const TGraphic&) = delete;
  TGraphic& operator=(const TGraphic&) = delete;
  virtual ~TGraphic() = default;

  // Draws the image stretched into `rect`. Decoders that defer work to the
  // first draw may raise their errors here.
  virtual void Draw(platform::Canvas& canvas, const platform::Rect& rect) = 0;
  virtual bool GetEmpty() const = 0;
  virtual int GetWidth() const = 0;
  virtual int GetHeight() const = 0;
  // True when the destination may show through the image.
  virtual bool GetTransparent() const { return false; }
  // Does now the work the first draw would otherwise do (decoding deferred
  // image data), so that it can run off the user-interface thread. An error
  // is not raised here: the first draw meets it again and raises it.
  virtual void PrepareForDraw() {}

  // Reads the image from the stream's current position on.
  virtual void LoadFromStream(std::istream& stream) = 0;
  // Opens the file for reading and hands it to LoadFromStream; the file is
  // closed again whatever happens. Raises EFOpenError when it cannot be opened.
  void LoadFromFile(const std::filesystem::path& path);

  // Called whenever the pixels change (the picture holder repaints).
  void SetOnChange(std::function<void()> handler) { on_change_ = std::move(handler); }

 protected:
  void Changed() {
    if (on_change_) on_change_();
  }

 private:
  std::function<void()> on_change_;
};

}  // namespace plendo::preview
