#pragma once
// Small JPEG files for the preview suites, made in memory.
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <vector>

#include <jpeglib.h>

#include "platform/Bitmap.h"
#include "platform/JpegEncoder.h"

namespace plendo::test {

inline std::vector<std::uint8_t> SolidJpeg(int width, int height, platform::Rgba colour,
                                           bool progressive = false) {
  platform::Bitmap bitmap(width, height, platform::PixelFormat::Bgr24);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      std::uint8_t* p = bitmap.Row(y) + x * 3;
      p[0] = colour.b, p[1] = colour.g, p[2] = colour.r;
    }
  return platform::EncodeJpeg(bitmap, {95, progressive});
}

// One-component file; the upper half `top`, the lower half `bottom`.
inline std::vector<std::uint8_t> GreyJpeg(int width, int height, std::uint8_t top,
                                          std::uint8_t bottom) {
  jpeg_compress_struct cinfo{};
  jpeg_error_mgr err{};
  cinfo.err = jpeg_std_error(&err);  // test data only: default (exiting) handler is fine
  jpeg_create_compress(&cinfo);
  unsigned char* out = nullptr;
  unsigned long size = 0;
  jpeg_mem_dest(&cinfo, &out, &size);
  cinfo.image_width = static_cast<JDIMENSION>(width);
  cinfo.image_height = static_cast<JDIMENSION>(height);
  cinfo.input_components = 1;
  cinfo.in_color_space = JCS_GRAYSCALE;
  jpeg_set_defaults(&cinfo);
  jpeg_set_quality(&cinfo, 95, TRUE);
  jpeg_start_compress(&cinfo, TRUE);
  std::vector<std::uint8_t> row(static_cast<std::size_t>(width));
  while (cinfo.next_scanline < cinfo.image_height) {
    std::fill(row.begin(), row.end(),
              static_cast<int>(cinfo.next_scanline) < height / 2 ? top : bottom);
    JSAMPROW p = row.data();
    jpeg_write_scanlines(&cinfo, &p, 1);
  }
  jpeg_finish_compress(&cinfo);
  std::vector<std::uint8_t> bytes(out, out + size);
  jpeg_destroy_compress(&cinfo);
  free(out);
  return bytes;
}

// Rewrites the frame size in the first SOF0/SOF2 marker.
inline void PatchJpegSize(std::vector<std::uint8_t>& jpeg, int width, int height) {
  for (std::size_t i = 0; i + 9 < jpeg.size(); ++i) {
    if (jpeg[i] == 0xFF && (jpeg[i + 1] == 0xC0 || jpeg[i + 1] == 0xC2)) {
      jpeg[i + 5] = static_cast<std::uint8_t>(height >> 8);
      jpeg[i + 6] = static_cast<std::uint8_t>(height);
      jpeg[i + 7] = static_cast<std::uint8_t>(width >> 8);
      jpeg[i + 8] = static_cast<std::uint8_t>(width);
      return;
    }
  }
  throw std::logic_error("no frame header");
}

inline void WriteBytes(const std::filesystem::path& path, const std::vector<std::uint8_t>& bytes) {
  std::ofstream(path, std::ios::binary)
      .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

}  // namespace plendo::test
