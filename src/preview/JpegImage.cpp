#include "preview/JpegImage.h"

#include <csetjmp>

#include <jerror.h>

#include "platform/JpegError.h"
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

struct Decompressor {
  platform::JpegErrorManager error;
  jpeg_decompress_struct cinfo{};
  jpeg_progress_mgr progress{};
  Decompressor() = default;
  Decompressor(const Decompressor&) = delete;
  Decompressor& operator=(const Decompressor&) = delete;
  ~Decompressor() { jpeg_destroy_decompress(&cinfo); }  // safe before create: mem is null
};

// Everything the decode owns lives here, built before the jump point: a
// longjmp out of libjpeg skips the destructors of the frames it crosses.
struct DecodeState {
  Decompressor d;
  Bitmap bitmap;
  std::vector<std::uint8_t> cmyk_row;
};

void OpenHeader(Decompressor& d, const std::vector<std::uint8_t>& data) {
  d.cinfo.err = platform::InstallJpegErrorManager(d.error);
  jpeg_create_decompress(&d.cinfo);
  jpeg_mem_src(&d.cinfo, data.data(), static_cast<unsigned long>(data.size()));
  jpeg_read_header(&d.cinfo, TRUE);
}

void LimitScans(j_common_ptr common) {
  auto* cinfo = reinterpret_cast<j_decompress_ptr>(common);
  if (cinfo->input_scan_number > kMaxScans) {
    common->err->msg_code = JERR_BAD_PROGRESSION;
    common->err->error_exit(common);
  }
}

bool IsCmyk(const jpeg_decompress_struct& cinfo) {
  return cinfo.jpeg_color_space == JCS_CMYK || cinfo.jpeg_color_space == JCS_YCCK;
}

// Adobe writes CMYK inverted (0 = full ink); other writers store it plainly.
void CmykRowToBgr(const std::uint8_t* cmyk, std::uint8_t* bgr, int width, bool inverted) {
  for (int x = 0; x < width; ++x, cmyk += 4, bgr += 3) {
    const unsigned k = inverted ? cmyk[3] : 255u - cmyk[3];
    for (int i = 0; i < 3; ++i) {
      const unsigned ink = inverted ? cmyk[i] : 255u - cmyk[i];
      bgr[2 - i] = static_cast<std::uint8_t>((ink * k + 127) / 255);
    }
  }
}

void DecodeInto(DecodeState& s, const std::vector<std::uint8_t>& data) {
  jpeg_decompress_struct& cinfo = s.d.cinfo;
  OpenHeader(s.d, data);
  s.d.progress.progress_monitor = LimitScans;
  cinfo.progress = &s.d.progress;
  cinfo.scale_num = 1;
  cinfo.scale_denom = 1;
  cinfo.do_block_smoothing = TRUE;
  const bool quantised = cinfo.out_color_space == JCS_GRAYSCALE;
  const bool cmyk = IsCmyk(cinfo);
  if (quantised) {
    cinfo.quantize_colors = TRUE;
    cinfo.desired_number_of_colors = kGreyColours;
  } else if (cmyk) {
    cinfo.out_color_space = JCS_CMYK;
  } else {
    cinfo.out_color_space = JCS_EXT_BGR;
  }
  jpeg_calc_output_dimensions(&cinfo);
  // Sized before libjpeg takes its own buffers, so an absurd header fails here.
  s.bitmap = Bitmap(static_cast<int>(cinfo.output_width), static_cast<int>(cinfo.output_height),
                    quantised ? PixelFormat::Indexed8 : PixelFormat::Bgr24);
  if (cmyk) s.cmyk_row.resize(static_cast<std::size_t>(cinfo.output_width) * 4);
  jpeg_start_decompress(&cinfo);
  if (quantised) {
    auto& palette = s.bitmap.Palette();
    palette.resize(static_cast<std::size_t>(cinfo.actual_number_of_colors));
    for (std::size_t i = 0; i < palette.size(); ++i) {
      const std::uint8_t grey = cinfo.colormap[0][i];
      palette[i] = {grey, grey, grey, 255};
    }
  }
  while (cinfo.output_scanline < cinfo.output_height) {
    const int y = static_cast<int>(cinfo.output_scanline);
    JSAMPROW row = cmyk ? s.cmyk_row.data() : s.bitmap.Row(y);
    if (jpeg_read_scanlines(&cinfo, &row, 1) != 1) return;  // no more data; keep what we have
    if (cmyk) CmykRowToBgr(s.cmyk_row.data(), s.bitmap.Row(y), s.bitmap.Width(), cinfo.saw_Adobe_marker);
  }
  jpeg_finish_decompress(&cinfo);
}

Bitmap Decode(const std::vector<std::uint8_t>& data) {
  DecodeState state;
  if (setjmp(state.d.error.jump)) throw platform::EJPEG(state.d.error.code);
  DecodeInto(state, data);
  return std::move(state.bitmap);
}

struct Header {
  int width = 0, height = 0;
  bool grayscale = false, progressive = false;
};

void ReadHeaderInto(Decompressor& d, Header& header, const std::vector<std::uint8_t>& data) {
  OpenHeader(d, data);
  header.width = static_cast<int>(d.cinfo.image_width);
  header.height = static_cast<int>(d.cinfo.image_height);
  header.grayscale = d.cinfo.jpeg_color_space == JCS_GRAYSCALE;
  header.progressive = jpeg_has_multiple_scans(&d.cinfo);
}

Header ReadHeader(const std::vector<std::uint8_t>& data) {
  Decompressor d;
  Header header;
  if (setjmp(d.error.jump)) throw platform::EJPEG(d.error.code);
  ReadHeaderInto(d, header, data);
  return header;
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

void TJPEGImage::Draw(platform::Canvas& canvas, const platform::Rect& rect) {
  if (GetEmpty()) return;
  canvas.StretchDraw(rect, GetBitmap());
}

void RegisterJpegFormats(TFileFormatsList& formats) {
  formats.RegisterFileFormat("jpeg", "JPEG イメージファイル", GraphicClassOf<TJPEGImage>);
  formats.RegisterFileFormat("jpg", "JPEG イメージファイル", GraphicClassOf<TJPEGImage>);
}

}  // namespace plendo::preview
