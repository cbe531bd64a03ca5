#include <gtest/gtest.h>

#include <jpeglib.h>
#include <sys/resource.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <random>
#include <vector>

#include "codecs/JpegEncoder.h"
#include "codecs/JpegError.h"

namespace plendo::codecs {
namespace {

using platform::Bitmap;
using platform::PixelFormat;

TEST(JpegEncoder, EmptyBitmapGivesEmptyStreamAndRedStaysRed) {
  EXPECT_TRUE(EncodeJpeg(Bitmap(0, 5, PixelFormat::Bgr24), {}).empty());

  Bitmap red(16, 16, PixelFormat::Bgr24);
  for (int y = 0; y < 16; ++y)
    for (int x = 0; x < 16; ++x) red.Row(y)[x * 3 + 2] = 255;
  const auto bytes = EncodeJpeg(red, {90, false});
  ASSERT_GT(bytes.size(), 100u);

  jpeg_decompress_struct cinfo{};
  jpeg_error_mgr err{};
  cinfo.err = jpeg_std_error(&err);
  jpeg_create_decompress(&cinfo);
  jpeg_mem_src(&cinfo, bytes.data(), bytes.size());
  jpeg_read_header(&cinfo, TRUE);
  jpeg_start_decompress(&cinfo);
  std::vector<unsigned char> row(16 * 3);
  JSAMPROW p = row.data();
  jpeg_read_scanlines(&cinfo, &p, 1);
  jpeg_abort_decompress(&cinfo);
  jpeg_destroy_decompress(&cinfo);
  EXPECT_GT(row[0], 240);
  EXPECT_LT(row[2], 15);
}

// The stream a red-first encode of the same pixels gives, one row at a time.
std::vector<std::uint8_t> EncodeAsRgb(const Bitmap& bgr, const JpegEncodeOptions& options) {
  jpeg_compress_struct cinfo{};
  jpeg_error_mgr err{};
  cinfo.err = jpeg_std_error(&err);
  jpeg_create_compress(&cinfo);
  unsigned char* buffer = nullptr;
  unsigned long size = 0;
  jpeg_mem_dest(&cinfo, &buffer, &size);
  cinfo.image_width = static_cast<JDIMENSION>(bgr.Width());
  cinfo.image_height = static_cast<JDIMENSION>(bgr.Height());
  cinfo.input_components = 3;
  cinfo.in_color_space = JCS_RGB;
  jpeg_set_defaults(&cinfo);
  jpeg_set_quality(&cinfo, options.quality, TRUE);
  if (options.progressive) jpeg_simple_progression(&cinfo);
  jpeg_start_compress(&cinfo, TRUE);
  std::vector<unsigned char> rgb(static_cast<std::size_t>(bgr.Width()) * 3);
  while (cinfo.next_scanline < cinfo.image_height) {
    const std::uint8_t* src = bgr.Row(static_cast<int>(cinfo.next_scanline));
    for (std::size_t i = 0; i < rgb.size(); i += 3) rgb[i] = src[i + 2], rgb[i + 1] = src[i + 1], rgb[i + 2] = src[i];
    JSAMPROW row = rgb.data();
    jpeg_write_scanlines(&cinfo, &row, 1);
  }
  jpeg_finish_compress(&cinfo);
  jpeg_destroy_compress(&cinfo);
  std::vector<std::uint8_t> out(buffer, buffer + size);
  std::free(buffer);
  return out;
}

TEST(JpegEncoder, BlueFirstRowsGiveTheSameBytesAsRedFirst) {
  std::mt19937 random(7);
  for (const auto& [width, height] : {std::pair{37, 29}, std::pair{1, 1}, std::pair{64, 35}}) {
    Bitmap noise(width, height, PixelFormat::Bgr24);
    for (int y = 0; y < height; ++y)
      for (int i = 0; i < width * 3; ++i) noise.Row(y)[i] = static_cast<std::uint8_t>(random());
    for (const JpegEncodeOptions options : {JpegEncodeOptions{70, false}, JpegEncodeOptions{95, true}})
      EXPECT_EQ(EncodeJpeg(noise, options), EncodeAsRgb(noise, options))
          << width << "x" << height << " q" << options.quality;
  }
}

#if defined(__SANITIZE_ADDRESS__)
constexpr bool kAddressSanitizer = true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
constexpr bool kAddressSanitizer = true;
#else
constexpr bool kAddressSanitizer = false;
#endif
#else
constexpr bool kAddressSanitizer = false;
#endif

// Leaves the process `margin` bytes of address space beyond what it maps now.
void CapAddressSpace(std::size_t margin) {
  std::size_t pages = 0;
  std::ifstream("/proc/self/statm") >> pages;
  const rlim_t cap = pages * static_cast<std::size_t>(::sysconf(_SC_PAGESIZE)) + margin;
  const rlimit limit{cap, cap};
  if (::setrlimit(RLIMIT_AS, &limit) != 0) std::_Exit(2);
}

// The stream of a noisy picture grows to megabytes; an allocation failing on
// the way is a JPEG error, and the error path frees exactly the live buffer
// (glibc stops a process that frees one twice).
TEST(JpegEncoderDeathTest, AnAllocationFailureWhileTheStreamGrowsIsAJpegError) {
  if (kAddressSanitizer) GTEST_SKIP() << "a capped address space starves the sanitizer's own allocator";
  std::mt19937 random(3);
  Bitmap noise(2048, 2048, PixelFormat::Bgr24);
  for (int y = 0; y < noise.Height(); ++y)
    for (int i = 0; i < noise.Width() * 3; ++i) noise.Row(y)[i] = static_cast<std::uint8_t>(random());
  EXPECT_EXIT(
      {
        CapAddressSpace(std::size_t{2} << 20);
        try {
          EncodeJpeg(noise, {100, false});
        } catch (const EJPEG&) {
          std::_Exit(0);
        }
        std::_Exit(1);
      },
      ::testing::ExitedWithCode(0), "");
}

}  // namespace
}  // namespace plendo::codecs
