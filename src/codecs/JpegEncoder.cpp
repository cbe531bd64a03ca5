#include "codecs/JpegEncoder.h"

#include <algorithm>
#include <cstdlib>

#include "codecs/JpegError.h"

#include <jerror.h>

namespace plendo::codecs {

using platform::Bitmap;
using platform::PixelFormat;
namespace {

// The stream grows in a buffer of ours, owned by the caller of Compress: when
// an error jumps out of libjpeg, exactly the live buffer is freed, and no
// object of the function holding the jump point changes after it is set.
struct MemoryDestination {
  jpeg_destination_mgr pub{};
  unsigned char* data = nullptr;
  std::size_t capacity = 0;

  MemoryDestination() = default;
  MemoryDestination(const MemoryDestination&) = delete;
  MemoryDestination& operator=(const MemoryDestination&) = delete;
  ~MemoryDestination() { std::free(data); }
  std::size_t Used() const { return capacity - pub.free_in_buffer; }
};

MemoryDestination& DestinationOf(j_compress_ptr cinfo) { return *reinterpret_cast<MemoryDestination*>(cinfo->dest); }

// Doubles the buffer, keeping what was written; an allocation failure is a
// libjpeg error like any other.
void Grow(j_compress_ptr cinfo) {
  MemoryDestination& d = DestinationOf(cinfo);
  const std::size_t used = d.data ? d.Used() : 0;
  const std::size_t next = d.capacity ? d.capacity * 2 : std::size_t{64} << 10;
  auto* grown = static_cast<unsigned char*>(std::realloc(d.data, next));
  if (!grown) ERREXIT1(cinfo, JERR_OUT_OF_MEMORY, 10);
  d.data = grown;
  d.capacity = next;
  d.pub.next_output_byte = grown + used;
  d.pub.free_in_buffer = next - used;
}

void InitDestination(j_compress_ptr cinfo) {
  if (!DestinationOf(cinfo).data) Grow(cinfo);
}
boolean EmptyOutputBuffer(j_compress_ptr cinfo) {
  // libjpeg calls this with the whole buffer full.
  DestinationOf(cinfo).pub.free_in_buffer = 0;
  Grow(cinfo);
  return TRUE;
}
void TermDestination(j_compress_ptr) {}

// Compresses `bgr` (24-bit) into `dest`. The rows go in as they are stored,
// blue first: libjpeg converts them to YCbCr as it would red-first rows, so
// the stream is the same without a copy. Kept free of objects with
// destructors between setjmp and the last libjpeg call.
void Compress(const Bitmap& bgr, const JpegEncodeOptions& options, MemoryDestination& dest) {
  jpeg_compress_struct cinfo{};
  JpegErrorManager err;
  cinfo.err = InstallJpegErrorManager(err);
  if (setjmp(err.jump)) {
    jpeg_destroy_compress(&cinfo);
    throw EJPEG(err.code);
  }
  jpeg_create_compress(&cinfo);
  dest.pub.init_destination = InitDestination;
  dest.pub.empty_output_buffer = EmptyOutputBuffer;
  dest.pub.term_destination = TermDestination;
  cinfo.dest = &dest.pub;
  cinfo.image_width = static_cast<JDIMENSION>(bgr.Width());
  cinfo.image_height = static_cast<JDIMENSION>(bgr.Height());
  cinfo.input_components = 3;
  cinfo.in_color_space = JCS_EXT_BGR;
  jpeg_set_defaults(&cinfo);
  jpeg_set_quality(&cinfo, options.quality, TRUE);
  if (options.progressive) jpeg_simple_progression(&cinfo);
  jpeg_start_compress(&cinfo, TRUE);
  if (!options.icc_profile.empty() && options.icc_profile.size() <= kMaxIccProfileBytes)
    jpeg_write_icc_profile(&cinfo, options.icc_profile.data(), static_cast<unsigned int>(options.icc_profile.size()));
  // Enough rows per call for a whole band of 2x2-subsampled blocks.
  constexpr int kBatch = 16;
  JSAMPROW rows[kBatch];
  while (cinfo.next_scanline < cinfo.image_height) {
    const int y = static_cast<int>(cinfo.next_scanline);
    const int n = std::min(kBatch, bgr.Height() - y);
    // libjpeg only reads input rows; its row type is just not const.
    for (int i = 0; i < n; ++i) rows[i] = const_cast<JSAMPROW>(bgr.Row(y + i));
    jpeg_write_scanlines(&cinfo, rows, static_cast<JDIMENSION>(n));
  }
  jpeg_finish_compress(&cinfo);
  jpeg_destroy_compress(&cinfo);
}

}  // namespace

std::vector<std::uint8_t> EncodeJpeg(const Bitmap& bitmap, const JpegEncodeOptions& options) {
  std::vector<std::uint8_t> out;
  if (bitmap.Empty()) return out;
  const Bitmap converted = bitmap.Format() == PixelFormat::Bgr24 ? Bitmap() : ConvertToBgr24(bitmap);
  const Bitmap& bgr = bitmap.Format() == PixelFormat::Bgr24 ? bitmap : converted;
  MemoryDestination dest;
  Compress(bgr, options, dest);
  out.assign(dest.data, dest.data + dest.Used());
  return out;
}

}  // namespace plendo::codecs
