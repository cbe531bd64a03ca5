#pragma once
// The working state of one file, shared by ResizeGRP and its steps. It lives
// for one call; everything it holds is released when it goes, on every path.
#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "imaging/Graphics.h"
#include "imaging/JpegDecoder.h"
#include "platform/Bitmap.h"

namespace plendo::engine {

class FilePreview;

struct ResizeJob {
  std::filesystem::path SourcePath;
  std::unique_ptr<imaging::TGPBitmap> Source;
  // A JPEG source instead decodes as it is drawn, at the scale chosen for
  // the target size; Source stays empty then.
  std::unique_ptr<imaging::JpegRowStream> JpegRows;
  // A WMF or EMF source is kept as its bytes and drawn straight at the
  // target size; Source stays empty then.
  std::vector<std::uint8_t> Metafile;
  // The decoded source's size, taken once after decoding.
  std::uint32_t SourceWidth = 0;
  std::uint32_t SourceHeight = 0;
  // The output's size before rounding.
  double TargetWidth = 0;
  double TargetHeight = 0;
  std::string OutName;                // file name without folder
  std::filesystem::path OutSubfolder;  // below the chosen output folder
  std::filesystem::path OutPath;      // output folder + OutName
  platform::Bitmap Work;              // sized, drawn and sharpened by WriteResizedJPEG
  // The panel's preview, shown the pixels as they are decoded; null when
  // the host shows none.
  FilePreview* Preview = nullptr;
};

}  // namespace plendo::engine
