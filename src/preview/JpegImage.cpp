#include "preview/JpegImage.h"

#include <jpeglib.h>
#include <jerror.h>

#include "codecs/JpegReader.h"
#include "preview/StreamBytes.h"

namespace plendo::preview {
namespace {

using platform::Bitmap;
using platform::PixelFormat;

// A progressive file may carry any number of scans, each a full pass over the
// coefficients; a hostile file uses that to keep the decoder busy for hours.
constexpr int kMaxScans = 1000;
// Greyscale files are shown through a palette of this many greys.
constexpr int kGreyColours = 236;

void LimitScans(j_common_ptr common) {
  auto* cinfo = reinterpret_cast<j_decompress_ptr>(common);
  if (cinfo->input_scan_number > kMaxScans) {
    common->err->msg_code = JERR_BAD_PROGRESSION;
    common->err->error_exit(common);
  }
}

Bitmap Decode(const std::vector<std::uint8_t>& data) {
  jpeg_progress_mgr progress{};  // outlives the reader that points at it
  progress.progress_monitor = LimitScans;
  codecs::JpegReader reader(data);
  jpeg_decompress_struct& cinfo = reader.Info();
  cinfo.progress = &progress;
  cinfo.scale_num = 1;
  cinfo.scale_denom = 1;
  cinfo.do_block_smoothing = TRUE;
  const bool quantised = cinfo.out_color_space == JCS_GRAYSCALE;
  if (quantised) {
    cinfo.quantize_colors = TRUE;
    cinfo.desired_number_of_colors = kGreyColours;
  }
  reader.Prepare();
  // Sized before libjpeg takes its own buffers, so an absurd header fails here.
  Bitmap bitmap(static_cast<int>(cinfo.output_width), static_cast<int>(cinfo.output_height),
                quantised ? PixelFormat::Indexed8 : PixelFormat::Bgr24);
  reader.Start();
  if (quantised) {
    auto& palette = bitmap.Palette();
    palette.resize(static_cast<std::size_t>(cinfo.actual_number_of_colors));
    for (std::size_t i = 0; i < palette.size(); ++i) {
      const std::uint8_t grey = cinfo.colormap[0][i];
      palette[i] = {grey, grey, grey, 255};
    }
  }
  for (int y = 0; y < bitmap.Height(); ++y) {
    std::uint8_t* row = bitmap.Row(y);
    if (reader.ReadRows(&row, 1) != 1) return bitmap;  // no more data; keep what we have
  }
  reader.Finish();
  return bitmap;
}

struct Header {
  int width = 0, height = 0;
  bool grayscale = false, progressive = false;
};

Header ReadHeader(const std::vector<std::uint8_t>& data) {
  codecs::JpegReader reader(data);
  jpeg_decompress_struct& cinfo = reader.Info();
  return {static_cast<int>(cinfo.image_width), static_cast<int>(cinfo.image_height),
          cinfo.jpeg_color_space == JCS_GRAYSCALE, jpeg_has_multiple_scans(&cinfo) != 0};
}

}  // namespace

void TJPEGImage::LoadFromStream(std::istream& stream) {
  std::vector<std::uint8_t> data = ReadRemaining(stream);
  const Header header = ReadHeader(data);
  data_ = std::move(data);
  width_ = header.width;
  height_ = header.height;
  grayscale_ = header.grayscale;
  progressive_ = header.progressive;
  bitmap_.reset();
  Changed();
}

const platform::Bitmap& TJPEGImage::GetBitmap() {
  if (!bitmap_) {
    if (data_.empty()) {
      bitmap_.emplace();
    } else {
      bitmap_.emplace(Decode(data_));
    }
  }
  return *bitmap_;
}

void TJPEGImage::PrepareForDraw() {
  try {
    GetBitmap();
  } catch (...) {
    // Raised again by the first draw.
  }
}

void TJPEGImage::Draw(platform::Canvas& canvas, const platform::Rect& rect) {
  if (GetEmpty()) return;
  canvas.StretchDraw(rect, GetBitmap());
}

void RegisterJpegFormats(TFileFormatsList& formats) {
  formats.RegisterFileFormat("jpeg", "JPEG イメージファイル", GraphicClassOf<TJPEGImage>);
  formats.RegisterFileFormat("jpg", "JPEG イメージファイル", GraphicClassOf<TJPEGImage>);
}

}  // namespace plendo::preview
