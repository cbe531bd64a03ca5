#pragma once
// The JPEG preview decoder. Loading keeps the file's bytes and reads only the
// header; the first draw decodes the whole image at full size with block
// smoothing, 24 bits a pixel (a greyscale file: 8 bits, quantised to 236
// greys) and keeps the bitmap for every later draw.
//
// Fatal libjpeg errors raise codecs::EJPEG ("JPEG エラー #<code>"), at load
// for the header, at the first draw for the image data. Warnings are dropped,
// so a file cut off inside its data shows what was decoded.
#include <cstdint>
#include <optional>
#include <vector>

#include "platform/Bitmap.h"
#include "preview/FileFormats.h"
#include "preview/Graphic.h"

namespace plendo::preview {

class TJPEGImage : public TGraphic {
 public:
  void Draw(platform::Canvas& canvas, const platform::Rect& rect) override;
  bool GetEmpty() const override { return data_.empty(); }
  int GetWidth() const override { return width_; }
  int GetHeight() const override { return height_; }
  void LoadFromStream(std::istream& stream) override;

  bool Grayscale() const { return grayscale_; }
  bool ProgressiveEncoding() const { return progressive_; }
  // The decoded image; decodes on first use. Raises EJPEG or BitmapTooLarge.
  const platform::Bitmap& GetBitmap();
  void PrepareForDraw() override;

 private:
  std::vector<std::uint8_t> data_;
  int width_ = 0;
  int height_ = 0;
  bool grayscale_ = false;
  bool progressive_ = false;
  std::optional<platform::Bitmap> bitmap_;
};

// Adds "jpeg" and "jpg".
void RegisterJpegFormats(TFileFormatsList& formats);

}  // namespace plendo::preview
