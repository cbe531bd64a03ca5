// WriteResizedJPEG, second half: encode the working bitmap, put the file in
// place, hand the EXIF data over, count it.
#include "engine/OutputFile.h"
#include "engine/ResizeEngine.h"
#include "platform/JpegEncoder.h"

namespace plendo::engine {

void ResizeEngine::EncodeAndWrite(ResizeJob& job) {
  platform::JpegEncodeOptions options;
  // Only the low byte of Compress counts (300 is 44); libjpeg turns 0 into 1.
  options.quality = static_cast<std::uint8_t>(settings_.Compress & 0xFF);
  options.progressive = settings_.Progress;
  // Encoder errors are not a write failure: they leave through ResizeGRP.
  const std::vector<std::uint8_t> bytes = platform::EncodeJpeg(job.Work, options);

  bool written = false;
  try {
    if (WriteFileAtomically(job.OutPath, bytes, OverwriteAllowed()) == WriteOutcome::AlreadyExists)
      return;  // appeared since the overwrite rule looked: skipped like any existing output
    if (settings_.ExifCopy && exif_found_) TransferExif(job.OutPath);
    ++output_count_;
    written = true;
  } catch (const std::exception&) {
    host_.ShowMonitorMessage(kRed, kMsgWriteError);
  }
  if (written) host_.OutputWritten(job.OutPath);
}

}  // namespace plendo::engine
