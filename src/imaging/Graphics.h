#pragma once
// The imaging objects the engine draws with: a decoded source, the drawing
// surface on the working bitmap, and the attributes of a draw (gamma, the
// mirrored edges). The modes are set in the engine's order and kept, though
// every draw uses the one high-quality bicubic resampler. No operation
// throws: a source that cannot be decoded has width and height 0, and a draw
// that cannot run leaves the target as it was.
#include <cstdint>
#include <filesystem>
#include <functional>

#include "imaging/RowSource.h"
#include "platform/Bitmap.h"

namespace plendo::imaging {

// Why a source could not be decoded.
enum class Status {
  Ok = 0,
  GenericError = 1,
  InvalidParameter = 2,
  OutOfMemory = 3,
  FileNotFound = 10,
  UnknownImageFormat = 13,
};

// A decoded picture: 8-bit straight-alpha BGRA (Bgra32) or opaque Bgr24.
class TGPImage {
 public:
  virtual ~TGPImage() = default;
  std::uint32_t GetWidth() const;
  std::uint32_t GetHeight() const;
  const platform::Bitmap& Pixels() const { return pixels_; }
  Status GetLastStatus() const { return last_status_; }

 protected:
  platform::Bitmap pixels_;
  Status last_status_ = Status::Ok;
};

class TGPBitmap : public TGPImage {
 public:
  // The format is recognised from the content, never from the name.
  explicit TGPBitmap(const std::filesystem::path& path, bool use_embedded_colour_management = false);
  // Wraps pixels already in memory (tests, thumbnails); indexed formats are
  // expanded to Bgra32.
  explicit TGPBitmap(platform::Bitmap pixels);
};

enum class WrapMode { Tile = 0, TileFlipX = 1, TileFlipY = 2, TileFlipXY = 3, Clamp = 4 };
enum class SmoothingMode { Default = 0, HighSpeed = 1, HighQuality = 2, None = 3, AntiAlias = 4 };
enum class PixelOffsetMode { Default = 0, HighSpeed = 1, HighQuality = 2, None = 3, Half = 4 };
enum class InterpolationMode { Default = 0, LowQuality = 1, HighQuality = 2, Bilinear = 3, Bicubic = 4,
                               NearestNeighbor = 5, HighQualityBilinear = 6, HighQualityBicubic = 7 };
enum class Unit { World = 0, Display = 1, Pixel = 2 };
enum class ColorAdjustType { Default = 0 };

struct RectF {
  float X = 0, Y = 0, Width = 0, Height = 0;
};

class TGPImageAttributes {
 public:
  // A gamma that is not a positive number is refused (InvalidParameter).
  Status SetGamma(float gamma, ColorAdjustType type = ColorAdjustType::Default);
  Status SetWrapMode(WrapMode mode, std::uint32_t argb = 0xFF000000, bool clamp = false);
  float Gamma() const { return gamma_; }
  WrapMode Wrap() const { return wrap_; }

 private:
  float gamma_ = 1.0f;
  WrapMode wrap_ = WrapMode::Tile;
};

// A drawing surface on a Bgr24 (or Bgra32) target bitmap. Every
// interpolation mode draws with the high-quality bicubic resampler, and the
// source always repeats mirrored beyond its edges (tile-flip), which is what
// the engine asks for; the smoothing and pixel-offset modes are kept only.
class TGPGraphics {
 public:
  explicit TGPGraphics(platform::Bitmap& target);
  Status SetSmoothingMode(SmoothingMode mode);
  Status SetPixelOffsetMode(PixelOffsetMode mode);
  Status SetInterpolationMode(InterpolationMode mode);
  // Scales the source rectangle of `image` into `dest` (floating point, not
  // rounded), composited over what the target holds, with the attributes'
  // gamma. Units other than Pixel, an empty image or an unusable rectangle
  // give InvalidParameter and leave the target as it was. The source
  // rectangle is rounded to whole pixels and clipped to the image.
  Status DrawImage(const TGPImage& image, const RectF& dest, const RectF& source, Unit unit,
                   const TGPImageAttributes* attributes);
  // The whole of a picture that arrives row by row (a JPEG decoding as it is
  // drawn), the same way; the source's errors are thrown, not turned into a
  // status, since the picture is not whole until the draw ends.
  Status DrawImage(RowSource& source, const RectF& dest, const TGPImageAttributes* attributes);
  // Called by every later DrawImage for each target row, in increasing y,
  // as soon as that row is final (untouched rows too); a draw that gives
  // InvalidParameter reports no row. An empty function stops the reports.
  void SetRowCallback(std::function<void(int y)> callback);

 private:
  platform::Bitmap& target_;
  std::function<void(int y)> row_callback_;
  SmoothingMode smoothing_ = SmoothingMode::Default;
  PixelOffsetMode pixel_offset_ = PixelOffsetMode::Default;
  InterpolationMode interpolation_ = InterpolationMode::Default;
};

}  // namespace plendo::imaging
