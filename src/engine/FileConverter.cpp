// One dropped file from its path to the finished output bytes: EXIF
// preparation, decode, geometry, output name and folder, the overwrite rule,
// then the write step's draw, sharpening, encoding and EXIF transfer.
#include "engine/FileConverter.h"

#include <cerrno>
#include <cstring>
#include <functional>
#include <new>
#include <optional>
#include <string_view>
#include <system_error>

#include "codecs/JpegEncoder.h"
#include "codecs/Metafile.h"
#include "codecs/WebpReader.h"
#include "engine/EngineTexts.h"
#include "engine/FilePreview.h"
#include "engine/OutputEncoding.h"
#include "engine/OutputFormat.h"
#include "engine/OutputNaming.h"
#include "engine/Rendering.h"
#include "engine/ResizeEngine.h"
#include "engine/ResizeGeometry.h"
#include "engine/SizeLimit.h"
#include "engine/UprightPixels.h"
#include "exif/ExifInfo.h"
#include "exif/OrientationBlock.h"
#include "imaging/ColourProfile.h"
#include "imaging/ContainerMetadata.h"
#include "imaging/DecodeError.h"
#include "imaging/ImageDecoder.h"
#include "imaging/ImageFormat.h"
#include "imaging/JpegDecoder.h"
#include "platform/BitmapError.h"
#include "platform/FileBytes.h"

namespace plendo::engine {
namespace {

namespace fs = std::filesystem;

constexpr std::uint16_t kJpegCompression = 6;  // thumbnail stored as JPEG

// Some cameras pad a fixed-width Artist with spaces or NULs; the mark goes
// after the name, not after the padding.
std::string MarkedArtist(std::string artist) {
  artist.erase(artist.find_last_not_of(std::string_view(" \0", 2)) + 1);
  return artist.empty() ? std::string("Plendo") : artist + " (Plendo)";
}

// Every error of the preparation is dropped; the file is then converted
// without EXIF. A block that cannot be loaded is not carried over at all.
void PrepareExif(exif::TExifInfo& exif, const fs::path& path, std::span<const std::uint8_t> bytes,
                 FileConversion& result) {
  try {
    result.exif_found = exif.HasExif(bytes);
  } catch (...) {
    result.exif_found = false;
  }
  if (!result.exif_found) return;
  try {
    exif.LoadFromBytes(path, bytes);
  } catch (...) {
    result.exif_found = false;
    return;
  }
  try {
    exif.SetArtist(MarkedArtist(exif.GetArtist()));
  } catch (...) {
    // The block goes over with its artist as it was.
  }
  try {
    result.exif_with_thumbnail = exif.GetThumbnailCompression() == kJpegCompression;
  } catch (...) {
    result.exif_with_thumbnail = false;
  }
}

std::vector<std::uint8_t> ReadWholeFile(const fs::path& path, std::string& reason) {
  try {
    return platform::ReadFileBytes(path, imaging::kMaxSourceFileBytes);
  } catch (const platform::FileReadError& e) {
    reason = e.Reason();
  } catch (...) {
    reason = std::strerror(ENOMEM);
  }
  return {};  // unreadable reads as undecodable
}

// Why bytes that were read do not decode.
std::string DecodeFailure(std::span<const std::uint8_t> bytes) {
  using F = imaging::ImageFormat;
  const char* name = nullptr;
  switch (imaging::DetectFormat(bytes)) {
    case F::Bmp: name = "BMP"; break;
    case F::Jpeg: name = "JPEG"; break;
    case F::Gif: name = "GIF"; break;
    case F::Png: name = "PNG"; break;
    case F::Tiff: name = "TIFF"; break;
    case F::Wmf: name = "WMF"; break;
    case F::Emf: name = "EMF"; break;
    case F::Ico: name = "ICO"; break;
    case F::Heif: name = "HEIF"; break;
    case F::Webp: name = "WebP"; break;
    case F::Jxl: name = "JPEG XL"; break;
    default: return "not an image Plendo reads";
  }
  return std::string("damaged ") + name + " data";
}

// 65500.5 still rounds (to even) to 65500; NaN is refused as well.
bool SideFitsJpeg(double side) { return side <= kMaxJpegSide + 0.5; }

// The EXIF Orientation of the source: a JPEG's, or the one a HEIF, JPEG XL
// or WebP keeps in its own box (1 for HEIF and JPEG XL, whose pixels come
// out turned already); 0 when none.
int SourceOrientation(std::span<const std::uint8_t> source) {
  const std::vector<std::uint8_t> container = imaging::ContainerExifAsJpeg(source);
  return exif::ReadJpegOrientation(container.empty() ? source : std::span(container));
}

// A source turned by its EXIF Orientation looks upright in viewers; an
// output without its EXIF gets a block with that one tag, so it does too.
void KeepUpright(std::span<const std::uint8_t> source, std::vector<std::uint8_t>& jpeg) {
  const int orientation = SourceOrientation(source);
  if (orientation > 1) jpeg = exif::InsertOrientationBlock(jpeg, orientation);
}

// The carried block made true of the output: its pixel size, and no position
// when the user asked for none. A block that refuses an edit goes as it is.
void FitExifToOutput(exif::TExifInfo& exif, const platform::Bitmap& output, bool no_location) {
  try {
    exif.SetPixelSize(static_cast<std::uint32_t>(output.Width()), static_cast<std::uint32_t>(output.Height()));
    if (no_location) exif.RemoveLocation();
  } catch (...) {
  }
}

// The size the lowest quality still takes, in KB.
std::string OverLimitNote(std::size_t bytes) {
  return FillIn(kOverLimitNote, {std::to_string((bytes + 1023) / 1024)});
}

}  // namespace

std::string SizeCaption(std::uint32_t width, std::uint32_t height) {
  return std::to_string(width) + " X " + std::to_string(height);
}

bool FileExistsAt(const fs::path& path) {
  std::error_code ec;
  const auto status = fs::status(path, ec);
  return !ec && fs::exists(status) && !fs::is_directory(status);
}

FileConversion FileConverter::Convert(const fs::path& source, const fs::path& subfolder) const {
  FileConversion result;
  result.source = source;
  const std::vector<std::uint8_t> bytes = ReadWholeFile(source, result.reason);
  exif::TExifInfo exif;
  if (p_.settings.ExifCopy) {
    // HEIF, JPEG XL and WebP keep EXIF in a box or chunk of their own; handed
    // over as a JPEG's APP1 segment, it is carried exactly as a JPEG source's.
    const std::vector<std::uint8_t> container_exif = imaging::ContainerExifAsJpeg(bytes);
    PrepareExif(exif, source, container_exif.empty() ? std::span<const std::uint8_t>(bytes) : container_exif, result);
  }
  std::optional<FilePreview> preview;
  if (!p_.preview_area.Empty()) preview.emplace(source, bytes, p_.preview_area);

  ResizeJob job;
  job.SourcePath = source;
  job.OutSubfolder = subfolder;
  job.Preview = preview ? &*preview : nullptr;
  ConvertDecoded(job, bytes, exif, result);
  if (preview) preview->Finish(result);
  return result;
}

void FileConverter::ConvertDecoded(ResizeJob& job, std::span<const std::uint8_t> bytes, exif::TExifInfo& exif,
                                   FileConversion& result) const {
  if (!ReadSource(bytes, job)) {
    if (result.reason.empty()) result.reason = DecodeFailure(bytes);
    return;
  }
  result.decoded = true;
  result.source_width = job.SourceWidth;
  result.source_height = job.SourceHeight;
  if (!SizeAndName(job, result)) return;
  if (p_.check_existing && !p_.OverwriteAllowed() && FileExistsAt(job.OutPath)) {
    result.render = RenderOutcome::Existing;
    return;
  }
  if (p_.dry_run) {
    result.render = RenderOutcome::Ready;  // named and placed; nothing is drawn
    return;
  }
  WriteResizedJPEG(job, bytes, exif, result);
}

// Only the size is taken from a JPEG or a WebP here; its pixels are decoded
// once the target size says at which scale.
bool FileConverter::ReadSource(std::span<const std::uint8_t> bytes, ResizeJob& job) const {
  if (bytes.empty()) return false;
  try {
    const imaging::ImageFormat format = imaging::DetectFormat(bytes);
    if (format == imaging::ImageFormat::Wmf || format == imaging::ImageFormat::Emf) {
      // Its natural size, once a trial draw has shown that it draws.
      const codecs::MetafileSize size = codecs::InspectMetafile(bytes);
      job.Metafile.assign(bytes.begin(), bytes.end());
      job.SourceWidth = static_cast<std::uint32_t>(size.width);
      job.SourceHeight = static_cast<std::uint32_t>(size.height);
    } else if (format == imaging::ImageFormat::Jpeg) {
      const imaging::JpegSize size = imaging::ReadJpegSize(bytes);
      job.SourceWidth = static_cast<std::uint32_t>(size.width);
      job.SourceHeight = static_cast<std::uint32_t>(size.height);
    } else if (format == imaging::ImageFormat::Webp) {
      const codecs::WebpSize size = codecs::ReadWebpSize(bytes);
      job.SourceWidth = static_cast<std::uint32_t>(size.width);
      job.SourceHeight = static_cast<std::uint32_t>(size.height);
    } else {
      std::optional<platform::Bitmap> shared;
      if (job.Preview) shared = job.Preview->PixelsForConversion();
      job.Source = std::make_unique<imaging::TGPBitmap>(shared ? std::move(*shared) : imaging::DecodeImage(bytes));
      job.SourceWidth = job.Source->GetWidth();
      job.SourceHeight = job.Source->GetHeight();
      if (job.Preview)
        job.Preview->See(job.Source->Pixels(), static_cast<int>(job.SourceWidth), static_cast<int>(job.SourceHeight));
    }
  } catch (...) {
    return false;
  }
  return job.SourceWidth != 0 && job.SourceHeight != 0;
}

bool FileConverter::SizeAndName(ResizeJob& job, FileConversion& result) const {
  // The panel refuses 0 and non-numbers; a negative size is refused here.
  if (!p_.size.Valid()) {
    result.size_missing = true;
    return false;
  }
  const TargetSize target =
      ComputeTargetSize(job.SourceWidth, job.SourceHeight, p_.size, p_.side, p_.settings.NoEnlarge);
  job.TargetWidth = target.width;
  job.TargetHeight = target.height;
  if (SideFitsJpeg(target.width) && SideFitsJpeg(target.height)) {
    result.out_width = static_cast<std::uint32_t>(RoundHalfToEven(target.width));
    result.out_height = static_cast<std::uint32_t>(RoundHalfToEven(target.height));
  }
  job.OutName = ComposeOutName(job.SourcePath.string(), target.suffix, p_.size.text, p_.work);

  std::string folder;
  if (p_.settings.OutOrigDir) {
    folder = SourceFolderOf(job.SourcePath.string());
  } else if (!p_.wo_path.empty()) {
    folder = IncludeTrailingChar(p_.wo_path, kPathDelimiter);
    if (!job.OutSubfolder.empty()) {
      folder += IncludeTrailingChar(job.OutSubfolder.string(), kPathDelimiter);
      result.out_subfolder = job.OutSubfolder;
    }
  } else {
    // Never fall back to the root folder when no folder was chosen.
    result.folder_missing = true;
    return false;
  }
  job.OutPath = fs::path(folder + job.OutName);
  result.out_path = job.OutPath;
  return true;
}

void FileConverter::WriteResizedJPEG(ResizeJob& job, std::span<const std::uint8_t> bytes, exif::TExifInfo& exif,
                                     FileConversion& result) const {
  result.exif_lamp = p_.settings.ExifCopy && result.exif_found;
  if (!job.Source && job.Metafile.empty()) {
    // Shrink-on-load, never at actual size: the draw then starts from fewer
    // pixels that still hold all the detail the target can show.
    const int scale = p_.size.actual ? 1
                                     : imaging::ChooseJpegScale(static_cast<int>(job.SourceWidth),
                                                                static_cast<int>(job.SourceHeight), job.TargetWidth,
                                                                job.TargetHeight, kShrinkOnLoadHeadroom);
    const int width = static_cast<int>(job.SourceWidth), height = static_cast<int>(job.SourceHeight);
    try {
      if (imaging::DetectFormat(bytes) == imaging::ImageFormat::Webp) {
        job.Source = std::make_unique<imaging::TGPBitmap>(codecs::DecodeWebp(bytes, scale));
        if (job.Preview) job.Preview->See(job.Source->Pixels(), width, height);
      } else {
        job.JpegRows = std::make_unique<imaging::JpegRowStream>(bytes, scale);
        if (job.Preview) job.Preview->Watch(*job.JpegRows, width, height);
      }
    } catch (...) {
      result.decoded = false;
      result.reason = DecodeFailure(bytes);
      return;
    }
  }
  // Refused before any pixel memory is taken; a JPEG that does not decode
  // still says so first.
  if (!SideFitsJpeg(job.TargetWidth) || !SideFitsJpeg(job.TargetHeight)) {
    try {
      if (job.JpegRows) job.JpegRows->Finish();
    } catch (...) {
      result.decoded = false;
      result.reason = DecodeFailure(bytes);
      return;
    }
    result.render = RenderOutcome::Refused;
    result.message = kMsgTooLarge;
    return;
  }
  try {
    RenderWorkingBitmap(job, p_);
    job.Source.reset();
    job.JpegRows.reset();
    EncodeWithExif(job.Work, bytes, exif, result);
  } catch (const imaging::DecodeError&) {
    result.decoded = false;  // a JPEG whose data fails part way
    result.reason = DecodeFailure(bytes);
    return;
  } catch (const platform::BitmapTooLarge&) {
    result.message = kMsgTooLarge;
  } catch (const std::bad_alloc&) {
    result.message = kMsgTooLarge;
  } catch (const codecs::MetafileError&) {
    result.message = kMsgUnprocessable;
  } catch (const Exception& e) {
    result.message = e.Message();
  } catch (const std::exception&) {
    result.message = kMsgUnprocessable;
  }
  if (result.render != RenderOutcome::Ready) result.render = RenderOutcome::Failed;
}

void FileConverter::EncodeWithExif(platform::Bitmap& work, std::span<const std::uint8_t> source,
                                   exif::TExifInfo& exif, FileConversion& result) const {
  // The source's colours stay as they looked: its profile goes along, or the
  // pixels are turned into sRGB by it when asked (then none is embedded).
  std::vector<std::uint8_t> profile = imaging::ReadIccProfile(source);
  if (!imaging::DescribesRgb(profile)) {
    profile.clear();
  } else if (p_.settings.ToSrgb) {
    imaging::ConvertToSrgb(work, profile);
    profile.clear();
  }
  const settings::OutputFormat format = FormatOf(p_.settings.OutFormat);
  std::function<std::vector<std::uint8_t>(int)> encode;
  if (format == settings::kFormatJpeg) {
    encode = JpegOutput(work, source, profile, exif, result);
  } else {
    encode = PhotoOutput(format, work, source, std::move(profile), exif, result);
  }
  // Only the low byte of Compress counts (300 is 44).
  const int compress = p_.settings.Compress & 0xFF;
  const std::size_t limit = p_.settings.MaxFileKB > 0 ? static_cast<std::size_t>(p_.settings.MaxFileKB) * 1024 : 0;
  if (limit == 0 || !HasQuality(format)) {
    result.bytes = encode(compress);
  } else {
    FittedOutput fitted = FitToSize(encode, compress, limit);
    if (!fitted.fits) result.size_note = OverLimitNote(fitted.bytes.size());
    result.bytes = std::move(fitted.bytes);
  }
  result.render = RenderOutcome::Ready;
}

std::function<std::vector<std::uint8_t>(int)> FileConverter::JpegOutput(const platform::Bitmap& work,
                                                                        std::span<const std::uint8_t> source,
                                                                        const std::vector<std::uint8_t>& profile,
                                                                        exif::TExifInfo& exif,
                                                                        FileConversion& result) const {
  if (result.exif_lamp) FitExifToOutput(exif, work, p_.settings.NoLocation);
  return [this, &work, source, &profile, &exif, &result](int compress) {
    codecs::JpegEncodeOptions options;
    options.quality = static_cast<std::uint8_t>(compress);  // libjpeg turns 0 into 1
    options.progressive = p_.settings.Progress;
    options.icc_profile = profile;
    std::vector<std::uint8_t> bytes = codecs::EncodeJpeg(work, options);
    if (!result.exif_lamp) {
      KeepUpright(source, bytes);
      return bytes;
    }
    // A block that cannot go in leaves the JPEG as encoded; the write step
    // then writes it and reports the file as not written.
    try {
      bytes = exif.InsertExifInto(bytes, result.exif_with_thumbnail);
    } catch (...) {
      result.exif_failed = true;
    }
    return bytes;
  };
}

// PNG, WebP and JPEG XL carry the Orientation as a JPEG does; an AVIF's
// pixels are turned upright instead and its block says 1, since AVIF viewers
// do not agree on the container's own turn.
std::function<std::vector<std::uint8_t>(int)> FileConverter::PhotoOutput(settings::OutputFormat format,
                                                                         platform::Bitmap& work,
                                                                         std::span<const std::uint8_t> source,
                                                                         std::vector<std::uint8_t> profile,
                                                                         exif::TExifInfo& exif,
                                                                         FileConversion& result) const {
  OutputMetadata metadata;
  metadata.icc_profile = std::move(profile);
  const int orientation = SourceOrientation(source);
  if (format == settings::kFormatAvif && orientation > 1) {
    work = TurnUpright(work, orientation);
  } else if (orientation > 1) {
    metadata.orientation = orientation;
  }
  if (result.exif_lamp) {
    FitExifToOutput(exif, work, p_.settings.NoLocation);
    try {
      if (format == settings::kFormatAvif) exif.SetOrientation(1);
      metadata.exif = exif.TiffBlock();
    } catch (...) {
      result.exif_failed = true;
    }
  } else if (metadata.orientation > 1) {
    metadata.exif = exif::OrientationTiff(metadata.orientation);
  }
  return [format, &work, metadata = std::move(metadata)](int compress) {
    return EncodeAs(format, work, compress, metadata);
  };
}

}  // namespace plendo::engine
