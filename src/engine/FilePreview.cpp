#include "engine/FilePreview.h"

#include <algorithm>

#include "codecs/Metafile.h"
#include "codecs/WebpReader.h"
#include "exif/OrientationBlock.h"
#include "imaging/ContainerMetadata.h"
#include "imaging/ImageDecoder.h"
#include "imaging/ImageFormat.h"
#include "platform/Canvas.h"
#include "preview/ImageControl.h"
#include "preview/Picture.h"

namespace plendo::engine {
namespace {

using preview::PreviewDecoder;
using imaging::ImageFormat;

// The content the extension's decoder reads; any other content makes it fail.
bool DecoderReads(PreviewDecoder decoder, ImageFormat format) {
  switch (decoder) {
    case PreviewDecoder::Metafile: return format == ImageFormat::Wmf || format == ImageFormat::Emf;
    case PreviewDecoder::Icon: return format == ImageFormat::Ico;
    case PreviewDecoder::Bitmap: return format == ImageFormat::Bmp;
    case PreviewDecoder::Jpeg: return format == ImageFormat::Jpeg;
    case PreviewDecoder::Photo:
      return format == ImageFormat::Heif || format == ImageFormat::Webp || format == ImageFormat::Jxl;
    default: return false;
  }
}

// Photos a camera or phone stored turned: a JPEG's or a WebP's EXIF says how
// to stand them upright. HEIF, JPEG XL and TIFF pictures are decoded upright.
int OrientationOf(std::span<const std::uint8_t> bytes, ImageFormat format) {
  if (format == ImageFormat::Jpeg) return exif::ReadJpegOrientation(bytes);
  if (format != ImageFormat::Webp) return 1;
  const std::vector<std::uint8_t> block = imaging::ContainerExifAsJpeg(bytes);
  return block.empty() ? 1 : exif::ReadJpegOrientation(block);
}

// A PNG as its own decoder shows it, already put down on the monitor's
// background at the size it is shown: what the panel would paint, without
// keeping the whole decoded picture until then.
std::unique_ptr<preview::TGraphic> RenderPng(preview::TPNGObject& png, preview::PreviewArea area) {
  const platform::Rect placed = preview::PlaceImage(png.GetWidth(), png.GetHeight(), area.width, area.height);
  platform::Canvas canvas(std::max(placed.Width(), 1), std::max(placed.Height(), 1));
  canvas.Fill(canvas.ClientRect(), preview::kMonitorBackground);
  png.Draw(canvas, canvas.ClientRect());
  return std::make_unique<preview::TScaledPicture>(platform::ConvertToBgr24(canvas.Pixels()), png.GetWidth(),
                                                   png.GetHeight());
}

// The scale denominator (1, 2, 4, 8) at which a reduced decode still has a
// pixel for every pixel the picture control shows.
int ScaleForPreview(int width, int height, preview::PreviewArea area) {
  const platform::Rect placed = preview::PlaceImage(width, height, area.width, area.height);
  return imaging::ChooseJpegScale(width, height, placed.Width(), placed.Height(), 1.0);
}

}  // namespace

FilePreview::FilePreview(const std::filesystem::path& source, std::span<const std::uint8_t> bytes,
                         preview::PreviewArea area)
    : bytes_(bytes), area_(area), decoder_(preview::PreviewDecoderFor(preview::FileExtensionOf(source))) {
  const ImageFormat format = imaging::DetectFormat(bytes);
  if (!area.Empty() && decoder_ == PreviewDecoder::Png) {
    // Decoded first: the conversion may take its pixels from here.
    try {
      png_ = std::make_unique<preview::TPNGObject>();
      png_->LoadFromBytes(bytes);
      made_ = RenderPng(*png_, area);
    } catch (...) {
      png_.reset();
      made_.reset();
    }
    return;
  }
  if (!DecoderReads(decoder_, format)) return;
  try {
    orientation_ = OrientationOf(bytes, format);
  } catch (...) {
    orientation_ = 1;  // an unreadable EXIF block turns nothing
  }
}

std::optional<platform::Bitmap> FilePreview::PixelsForConversion() {
  if (!png_) return std::nullopt;
  std::optional<platform::Bitmap> pixels = png_->TakePlainPixels();
  png_.reset();
  return pixels;
}

bool FilePreview::FromConversion(const FileConversion& result) const {
  return result.decoded && DecoderReads(decoder_, imaging::DetectFormat(bytes_));
}

void FilePreview::Watch(imaging::JpegRowStream& rows, int width, int height) {
  if (area_.Empty() || decoder_ != PreviewDecoder::Jpeg) return;
  sampler_.emplace(width, height, orientation_, rows.Width(), rows.Height(), platform::PixelFormat::Bgr24, area_);
  rows.SetRowObserver([this](int y, const std::uint8_t* row) { sampler_->TakeRow(y, row); });
}

void FilePreview::See(const platform::Bitmap& pixels, int width, int height) {
  if (area_.Empty() || decoder_ == PreviewDecoder::None || decoder_ == PreviewDecoder::Metafile ||
      decoder_ == PreviewDecoder::Png || decoder_ == PreviewDecoder::Gif || pixels.Empty())
    return;
  sampler_.emplace(width, height, orientation_, pixels.Width(), pixels.Height(), pixels.Format(), area_);
  sampler_->TakeBitmap(pixels);
}

void FilePreview::Finish(FileConversion& result) {
  if (area_.Empty()) return;
  try {
    if (decoder_ == PreviewDecoder::Png) {
      result.preview = std::move(made_);
      result.preview_failed = !result.preview;
      return;
    }
    if (!FromConversion(result)) return LoadWithOwnDecoder(result);
    const int width = static_cast<int>(result.source_width), height = static_cast<int>(result.source_height);
    if (decoder_ == PreviewDecoder::Metafile)
      DrawMetafile(width, height);
    else if (!sampler_)
      DecodeForPreviewOnly(width, height);
    if (sampler_) made_ = sampler_->Finish();
    result.preview = std::move(made_);
    result.preview_failed = !result.preview;
  } catch (...) {
    result.preview.reset();
    result.preview_failed = true;
  }
}

void FilePreview::DecodeForPreviewOnly(int width, int height) {
  const ImageFormat format = imaging::DetectFormat(bytes_);
  if (format == ImageFormat::Jpeg) {
    imaging::JpegRowStream rows(bytes_, ScaleForPreview(width, height, area_));
    Watch(rows, width, height);
    try {
      rows.Finish();
    } catch (...) {
      // What was decoded shows, as a damaged JPEG's preview does.
    }
  } else if (format == ImageFormat::Webp) {
    See(codecs::DecodeWebp(bytes_, ScaleForPreview(width, height, area_)), width, height);
  } else {
    See(imaging::DecodeImage(bytes_), width, height);
  }
}

// Drawn at the size it is shown, as sharp as the conversion; what the player
// cannot draw stays white, as it would on the panel.
void FilePreview::DrawMetafile(int width, int height) {
  const platform::Rect placed = preview::PlaceImage(width, height, area_.width, area_.height);
  if (placed.Empty()) return;
  platform::Bitmap pixels(placed.Width(), placed.Height(), platform::PixelFormat::Bgr24);
  pixels.Fill(0xFF);
  try {
    codecs::DrawMetafile(bytes_, pixels, placed.Width(), placed.Height());
  } catch (const codecs::MetafileError&) {
  }
  made_ = std::make_unique<preview::TScaledPicture>(std::move(pixels), width, height);
}

// GIF always; any other file whose content is not what its
// extension's decoder reads, or that the conversion could not decode, fails
// or shows exactly as that decoder makes it.
void FilePreview::LoadWithOwnDecoder(FileConversion& result) const {
  try {
    result.preview = preview::LoadGraphic(result.source, bytes_);
    result.preview->PrepareForDraw();
  } catch (...) {
    result.preview.reset();
    result.preview_failed = true;
  }
}

}  // namespace plendo::engine
