#include "codecs/JpegReader.h"

#include <algorithm>
#include <cstdint>
#include <limits>
#include <vector>

#include <jerror.h>

#include "codecs/JpegError.h"

namespace plendo::codecs {
namespace {

// Each 8 x 8 block takes at least one bit of Huffman-coded data, and the
// first scan holds every block of one component at least. A file shorter
// than that is cut far inside its picture, and libjpeg would make up every
// missing block: work by the picture's area for a few bytes of file.
// (Arithmetic coding can take less than a bit a block.)
bool DataCanFill(const jpeg_decompress_struct& cinfo, std::size_t bytes) {
  if (cinfo.arith_code) return true;
  std::uint64_t fewest = std::numeric_limits<std::uint64_t>::max();
  for (int i = 0; i < cinfo.num_components; ++i)
    fewest = std::min(fewest, std::uint64_t{cinfo.comp_info[i].width_in_blocks} * cinfo.comp_info[i].height_in_blocks);
  return fewest / 8 <= bytes;
}

}  // namespace

struct JpegReader::State {
  JpegErrorManager error;
  jpeg_decompress_struct cinfo{};
  std::vector<std::uint8_t> ink;  // one CMYK row before conversion
  std::size_t size = 0;           // of the whole file

  State() {
    cinfo.err = InstallJpegErrorManager(error);
    jpeg_create_decompress(&cinfo);
  }
  ~State() { jpeg_destroy_decompress(&cinfo); }
};

// Sets the jump point of the calling function; a libjpeg error returns there
// and leaves as EJPEG.
#define PLENDO_JPEG_GUARD(state) \
  if (setjmp((state).error.jump)) throw EJPEG((state).error.code)

JpegReader::JpegReader(std::span<const std::uint8_t> bytes) : s_(std::make_unique<State>()) {
  PLENDO_JPEG_GUARD(*s_);
  s_->size = bytes.size();
  jpeg_mem_src(&s_->cinfo, bytes.data(), static_cast<unsigned long>(bytes.size()));
  jpeg_read_header(&s_->cinfo, TRUE);
}

JpegReader::~JpegReader() = default;

jpeg_decompress_struct& JpegReader::Info() { return s_->cinfo; }

bool JpegReader::IsCmyk() const {
  return s_->cinfo.jpeg_color_space == JCS_CMYK || s_->cinfo.jpeg_color_space == JCS_YCCK;
}

void JpegReader::Prepare() {
  if (!s_->cinfo.quantize_colors) s_->cinfo.out_color_space = IsCmyk() ? JCS_CMYK : JCS_EXT_BGR;
  PLENDO_JPEG_GUARD(*s_);
  jpeg_calc_output_dimensions(&s_->cinfo);
}

void JpegReader::Start() {
  if (!DataCanFill(s_->cinfo, s_->size)) throw EJPEG(JERR_INPUT_EOF);
  if (s_->cinfo.out_color_space == JCS_CMYK) s_->ink.resize(static_cast<std::size_t>(s_->cinfo.output_width) * 4);
  PLENDO_JPEG_GUARD(*s_);
  jpeg_start_decompress(&s_->cinfo);
}

int JpegReader::ReadRows(std::uint8_t* const* rows, int count) {
  jpeg_decompress_struct& cinfo = s_->cinfo;
  if (count <= 0 || cinfo.output_scanline >= cinfo.output_height) return 0;
  PLENDO_JPEG_GUARD(*s_);
  if (cinfo.out_color_space != JCS_CMYK)
    return static_cast<int>(jpeg_read_scanlines(&cinfo, const_cast<JSAMPARRAY>(rows), static_cast<JDIMENSION>(count)));
  JSAMPROW ink = s_->ink.data();
  if (jpeg_read_scanlines(&cinfo, &ink, 1) != 1) return 0;
  CmykRowToBgr(ink, rows[0], static_cast<int>(cinfo.output_width), cinfo.saw_Adobe_marker);
  return 1;
}

void JpegReader::Finish() {
  PLENDO_JPEG_GUARD(*s_);
  jpeg_finish_decompress(&s_->cinfo);
}

#undef PLENDO_JPEG_GUARD

void CmykRowToBgr(const std::uint8_t* cmyk, std::uint8_t* bgr, int width, bool inverted) {
  for (int x = 0; x < width; ++x, cmyk += 4, bgr += 3) {
    // Each value becomes the light left after its ink.
    const unsigned k = inverted ? cmyk[3] : 255u - cmyk[3];
    for (int i = 0; i < 3; ++i) {
      const unsigned light = inverted ? cmyk[i] : 255u - cmyk[i];
      bgr[2 - i] = static_cast<std::uint8_t>((light * k + 127) / 255);
    }
  }
}

}  // namespace plendo::codecs
