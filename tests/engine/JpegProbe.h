#pragma once
// Reads a written JPEG back with libjpeg: what its header says and its pixels.
#include <jpeglib.h>

#include <array>
#include <csetjmp>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

namespace plendo::test {

struct JpegProbe {
  bool ok = false;
  int width = 0;
  int height = 0;
  int components = 0;
  bool progressive = false;
  bool jfif = false;
  bool adobe = false;
  int h_samp[3] = {0, 0, 0};
  int v_samp[3] = {0, 0, 0};
  std::array<int, 64> luma_table{};  // natural order
  std::vector<std::uint8_t> rgb;     // width * height * 3

  std::array<int, 3> Pixel(int x, int y) const {
    const std::size_t i = (static_cast<std::size_t>(y) * width + x) * 3;
    return {rgb[i], rgb[i + 1], rgb[i + 2]};
  }
};

namespace detail {
struct ProbeError {
  jpeg_error_mgr pub;
  std::jmp_buf jump;
};
inline void ProbeErrorExit(j_common_ptr cinfo) { std::longjmp(reinterpret_cast<ProbeError*>(cinfo->err)->jump, 1); }
}  // namespace detail

inline JpegProbe ProbeJpeg(const std::filesystem::path& path) {
  JpegProbe p;
  std::ifstream in(path, std::ios::binary);
  std::vector<unsigned char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (bytes.empty()) return p;
  jpeg_decompress_struct cinfo{};
  detail::ProbeError err{};
  cinfo.err = jpeg_std_error(&err.pub);
  err.pub.error_exit = detail::ProbeErrorExit;
  if (setjmp(err.jump)) {
    jpeg_destroy_decompress(&cinfo);
    return JpegProbe{};
  }
  jpeg_create_decompress(&cinfo);
  jpeg_mem_src(&cinfo, bytes.data(), bytes.size());
  jpeg_read_header(&cinfo, TRUE);
  p.width = static_cast<int>(cinfo.image_width);
  p.height = static_cast<int>(cinfo.image_height);
  p.components = cinfo.num_components;
  p.progressive = jpeg_has_multiple_scans(&cinfo);
  p.jfif = cinfo.saw_JFIF_marker;
  p.adobe = cinfo.saw_Adobe_marker;
  for (int c = 0; c < cinfo.num_components && c < 3; ++c) {
    p.h_samp[c] = cinfo.comp_info[c].h_samp_factor;
    p.v_samp[c] = cinfo.comp_info[c].v_samp_factor;
  }
  if (cinfo.quant_tbl_ptrs[0])
    for (int i = 0; i < 64; ++i) p.luma_table[i] = cinfo.quant_tbl_ptrs[0]->quantval[i];  // natural order
  cinfo.out_color_space = JCS_RGB;
  jpeg_start_decompress(&cinfo);
  p.rgb.resize(static_cast<std::size_t>(p.width) * p.height * 3);
  while (cinfo.output_scanline < cinfo.output_height) {
    JSAMPROW row = p.rgb.data() + static_cast<std::size_t>(cinfo.output_scanline) * p.width * 3;
    jpeg_read_scanlines(&cinfo, &row, 1);
  }
  jpeg_finish_decompress(&cinfo);
  jpeg_destroy_decompress(&cinfo);
  p.ok = true;
  return p;
}

}  // namespace plendo::test
