#include "imaging/Graphics.h"

#include <algorithm>
#include <cmath>
#include <new>
#include <utility>

#include "imaging/DecodeError.h"
#include "imaging/GammaTable.h"
#include "imaging/ImageDecoder.h"
#include "imaging/Resampler.h"
#include "platform/BitmapError.h"
#include "platform/FileBytes.h"

namespace plendo::imaging {
namespace {

using platform::Bitmap;
using platform::PixelFormat;

Bitmap ExpandIndexed(const Bitmap& indexed) {
  Bitmap out(indexed.Width(), indexed.Height(), PixelFormat::Bgra32);
  for (int y = 0; y < indexed.Height(); ++y) {
    std::uint8_t* row = out.Row(y);
    for (int x = 0; x < indexed.Width(); ++x) {
      const platform::Rgba c = indexed.PixelAt(x, y);
      row[4 * x] = c.b, row[4 * x + 1] = c.g, row[4 * x + 2] = c.r, row[4 * x + 3] = c.a;
    }
  }
  return out;
}

}  // namespace

std::uint32_t TGPImage::GetWidth() const { return static_cast<std::uint32_t>(pixels_.Width()); }
std::uint32_t TGPImage::GetHeight() const { return static_cast<std::uint32_t>(pixels_.Height()); }

TGPBitmap::TGPBitmap(const std::filesystem::path& path, bool /*use_embedded_colour_management*/) {
  // Every failure ends here as a picture of width 0; the status says why.
  try {
    pixels_ = DecodeImageFile(path);
  } catch (const platform::FileReadError&) {
    last_status_ = Status::FileNotFound;
  } catch (const platform::BitmapTooLarge&) {
    last_status_ = Status::OutOfMemory;
  } catch (const DecodeError&) {
    last_status_ = Status::UnknownImageFormat;
  } catch (const std::bad_alloc&) {
    last_status_ = Status::OutOfMemory;
  } catch (...) {
    last_status_ = Status::GenericError;
  }
  if (last_status_ != Status::Ok) pixels_ = Bitmap();
}

TGPBitmap::TGPBitmap(Bitmap pixels) {
  try {
    if (pixels.Format() == PixelFormat::Bgr24 || pixels.Format() == PixelFormat::Bgra32)
      pixels_ = std::move(pixels);
    else
      pixels_ = ExpandIndexed(pixels);
  } catch (...) {
    last_status_ = Status::OutOfMemory;
    pixels_ = Bitmap();
  }
}

Status TGPImageAttributes::SetGamma(float gamma, ColorAdjustType) {
  if (!(gamma > 0.0f) || !std::isfinite(gamma)) return Status::InvalidParameter;
  gamma_ = gamma;
  return Status::Ok;
}

Status TGPImageAttributes::SetWrapMode(WrapMode mode, std::uint32_t, bool) {
  wrap_ = mode;
  return Status::Ok;
}

TGPGraphics::TGPGraphics(Bitmap& target) : target_(target) {}

Status TGPGraphics::SetSmoothingMode(SmoothingMode mode) {
  smoothing_ = mode;
  return Status::Ok;
}

Status TGPGraphics::SetPixelOffsetMode(PixelOffsetMode mode) {
  pixel_offset_ = mode;
  return Status::Ok;
}

Status TGPGraphics::SetInterpolationMode(InterpolationMode mode) {
  interpolation_ = mode;
  return Status::Ok;
}

void TGPGraphics::SetRowCallback(std::function<void(int y)> callback) { row_callback_ = std::move(callback); }

Status TGPGraphics::DrawImage(const TGPImage& image, const RectF& dest, const RectF& source, Unit unit,
                              const TGPImageAttributes* attributes) {
  if (unit != Unit::Pixel) return Status::InvalidParameter;
  const Bitmap& pixels = image.Pixels();
  if (pixels.Empty()) return Status::InvalidParameter;
  // Whole pixels of the source rectangle, clipped to the image.
  const auto left = std::clamp<long>(std::lround(source.X), 0, pixels.Width());
  const auto top = std::clamp<long>(std::lround(source.Y), 0, pixels.Height());
  const auto right = std::clamp<long>(std::lround(source.X + source.Width), 0, pixels.Width());
  const auto bottom = std::clamp<long>(std::lround(source.Y + source.Height), 0, pixels.Height());
  if (right <= left || bottom <= top) return Status::InvalidParameter;
  const SourceRect from{static_cast<int>(left), static_cast<int>(top), static_cast<int>(right - left),
                        static_cast<int>(bottom - top)};
  const DestRect to{dest.X, dest.Y, dest.Width, dest.Height};
  try {
    const GammaTable gamma = MakeGammaTable(attributes ? attributes->Gamma() : 1.0f);
    return DrawResampled(pixels, from, target_, to, gamma, row_callback_) ? Status::Ok : Status::InvalidParameter;
  } catch (const std::bad_alloc&) {
    return Status::OutOfMemory;
  }
}

Status TGPGraphics::DrawImage(RowSource& source, const RectF& dest, const TGPImageAttributes* attributes) {
  const DestRect to{dest.X, dest.Y, dest.Width, dest.Height};
  const GammaTable gamma = MakeGammaTable(attributes ? attributes->Gamma() : 1.0f);
  return DrawResampled(source, target_, to, gamma, row_callback_) ? Status::Ok : Status::InvalidParameter;
}

}  // namespace plendo::imaging
