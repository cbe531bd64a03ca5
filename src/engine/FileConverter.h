#pragma once
// Converts one dropped file with its batch's parameters and no panel: read
// once, EXIF prepared, decoded (JPEG at a reduced scale when the target
// leaves room), sized, named, drawn, sharpened, encoded, EXIF put in, all in
// memory. Safe to run on several threads at once, one file each: it reads
// only the parameters and the file system, and writes nothing.
#include <filesystem>
#include <functional>
#include <span>
#include <string>

#include "engine/BatchParameters.h"
#include "engine/FileConversion.h"
#include "engine/ResizeJob.h"

namespace plendo::exif {
class TExifInfo;
}

namespace plendo::engine {

// How much larger than the target a JPEG must still be after a reduced
// decode, on both axes. Measured on grainy 12 and 24 MP photos at quality
// 70: even at 1.0 the output stays within 0.06 dB PSNR of a full decode
// (1/2 and 1/4 scales; 1/8 within 0.1 dB), far below what the encoder
// itself loses, while a 1/2 decode of 24 MP costs half of a full one.
inline constexpr double kShrinkOnLoadHeadroom = 1.0;

class FileConverter {
 public:
  explicit FileConverter(const BatchParameters& parameters) : p_(parameters) {}

  // Never throws: every failure of the file is in the result. `subfolder`
  // goes between the chosen output folder and the name (a walked folder's
  // tree); beside the source it is not used.
  FileConversion Convert(const std::filesystem::path& source, const std::filesystem::path& subfolder = {}) const;

 private:
  // Every step after reading the file and preparing its EXIF.
  void ConvertDecoded(ResizeJob& job, std::span<const std::uint8_t> bytes, exif::TExifInfo& exif,
                      FileConversion& result) const;
  bool ReadSource(std::span<const std::uint8_t> bytes, ResizeJob& job) const;
  bool SizeAndName(ResizeJob& job, FileConversion& result) const;
  void WriteResizedJPEG(ResizeJob& job, std::span<const std::uint8_t> bytes, exif::TExifInfo& exif,
                        FileConversion& result) const;
  void EncodeWithExif(platform::Bitmap& work, std::span<const std::uint8_t> source, exif::TExifInfo& exif,
                      FileConversion& result) const;
  // The whole output at a quality of the Compress scale, metadata included;
  // `work` and the others must outlive the function returned.
  std::function<std::vector<std::uint8_t>(int)> JpegOutput(const platform::Bitmap& work,
                                                           std::span<const std::uint8_t> source,
                                                           const std::vector<std::uint8_t>& profile,
                                                           exif::TExifInfo& exif, FileConversion& result) const;
  std::function<std::vector<std::uint8_t>(int)> PhotoOutput(settings::OutputFormat format, platform::Bitmap& work,
                                                            std::span<const std::uint8_t> source,
                                                            std::vector<std::uint8_t> profile, exif::TExifInfo& exif,
                                                            FileConversion& result) const;

  const BatchParameters& p_;
};

// Source, size and side as the panel shows a decoded file: "4000 X 3000".
std::string SizeCaption(std::uint32_t width, std::uint32_t height);

// A file, not a folder, stands at `path`: only then does the skip rule apply.
bool FileExistsAt(const std::filesystem::path& path);

}  // namespace plendo::engine
