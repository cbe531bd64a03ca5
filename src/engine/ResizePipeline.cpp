// One dropped file from its path to the call of WriteResizedJPEG: EXIF
// preparation, preview, decode, geometry, output name and folder, and the
// overwrite rule.
#include <charconv>
#include <climits>
#include <exception>
#include <new>
#include <optional>
#include <system_error>

#include "engine/OutputNaming.h"
#include "engine/ResizeEngine.h"
#include "platform/BitmapError.h"

namespace plendo::engine {
namespace {

namespace fs = std::filesystem;

// The size box's number. A number too long for any integer reads as the
// largest one, so it is refused later as too large rather than as missing.
std::optional<long long> SizeBoxNumber(const std::string& text) {
  long long value = 0;
  const char* end = text.data() + text.size();
  const auto [ptr, ec] = std::from_chars(text.data(), end, value);
  if (ptr != end || text.empty()) return std::nullopt;
  if (ec == std::errc::result_out_of_range) return text[0] == '-' ? std::optional<long long>() : LLONG_MAX;
  if (ec != std::errc()) return std::nullopt;
  return value;
}

// A file, not a folder, stands at `path`: only then does the skip rule apply.
bool FileExistsAt(const fs::path& path) {
  std::error_code ec;
  const auto status = fs::status(path, ec);
  return !ec && fs::exists(status) && !fs::is_directory(status);
}

std::string SizeCaption(std::uint32_t width, std::uint32_t height) {
  return std::to_string(width) + " X " + std::to_string(height);
}

}  // namespace

void ResizeEngine::ResizeGRP(const fs::path& path) {
  // Whatever escapes one file (a bitmap the memory cannot hold, an encoder
  // failure) is that file's failure; the batch goes on with the next one.
  try {
    RunResizeGRP(path);
  } catch (const platform::BitmapTooLarge&) {
    host_.ShowMonitorMessage(kRed, kMsgTooLarge);
  } catch (const std::bad_alloc&) {
    host_.ShowMonitorMessage(kRed, kMsgTooLarge);
  } catch (const Exception& e) {
    host_.ShowMonitorMessage(kRed, e.Message());
  } catch (const std::exception&) {
    host_.ShowMonitorMessage(kRed, kMsgUnprocessable);
  }
}

void ResizeEngine::RunResizeGRP(const fs::path& path) {
  host_.LightOn(Lamp::Read);
  if (settings_.ExifCopy) PrepareExif(path);

  // The conversion does not depend on the preview.
  try {
    host_.LoadPreview(path);
  } catch (...) {
    host_.ShowMonitorMessage(kRed, kMsgNoPreview);
  }

  ResizeJob job;
  job.SourcePath = path;
  job.Source = std::make_unique<imaging::TGPBitmap>(path, false);
  job.SourceWidth = job.Source->GetWidth();
  job.SourceHeight = job.Source->GetHeight();
  if (job.SourceWidth == 0 || job.SourceHeight == 0) {
    host_.ShowMonitorMessage(kRed, kMsgUnprocessable);  // the read lamp stays lit
    return;
  }
  host_.SetSizeCaption(SizeCaption(job.SourceWidth, job.SourceHeight));

  if (!ComputeGeometry(job)) return;
  host_.LightOff(Lamp::Read);

  const std::string folder = OutputFolderFor(path);
  if (folder.empty()) return;
  job.OutPath = fs::path(folder + job.OutName);

  if (OverwriteAllowed() || !FileExistsAt(job.OutPath)) WriteResizedJPEG(job);
}

bool ResizeEngine::ComputeGeometry(ResizeJob& job) {
  long long size = 0;
  if (!host_.IsActualSize()) {
    const auto number = SizeBoxNumber(host_.SizeText());
    // The panel refuses 0 and non-numbers; a negative size is refused here.
    if (!number || *number <= 0) {
      host_.ShowMonitorMessage(kRed, kMsgNoSize);
      return false;
    }
    size = *number;
  }
  switch (host_.Side()) {
    case SizeSide::LongSide: CalcSizeByLongSide(job, size); break;
    case SizeSide::Width: CalcSizeByWidth(job, size); break;
    case SizeSide::Height: CalcSizeByHeight(job, size); break;
  }
  return true;
}

std::string ResizeEngine::OutputFolderFor(const fs::path& source) const {
  if (settings_.OutOrigDir) return SourceFolderOf(source.string());
  const std::string folder = host_.WOPath();
  // Never fall back to the root folder when no folder was chosen.
  if (folder.empty()) {
    host_.ShowMonitorMessage(kRed, kMsgNoFolder);
    return {};
  }
  return IncludeTrailingChar(folder, kPathDelimiter);
}

// Beside the source an existing output is never replaced, whatever OverWrite says.
bool ResizeEngine::OverwriteAllowed() const { return settings_.OverWrite && !settings_.OutOrigDir; }

}  // namespace plendo::engine
