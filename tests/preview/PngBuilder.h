#pragma once
// PNG files built chunk by chunk for the decoder suites: whatever a test
// needs, including files no encoder would write.
#include <zlib.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "preview/PngChunks.h"

namespace plendo::test {

using Bytes = std::vector<std::uint8_t>;

inline void Put32(Bytes& out, std::uint32_t v) {
  for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<std::uint8_t>(v >> shift));
}

inline Bytes PngChunkBytes(const std::string& name, const Bytes& data) {
  Bytes out;
  out.reserve(12 + data.size());
  Put32(out, static_cast<std::uint32_t>(data.size()));
  Bytes name_bytes;
  for (char c : name) name_bytes.push_back(static_cast<std::uint8_t>(c));
  out.insert(out.end(), name_bytes.begin(), name_bytes.end());
  for (std::uint8_t b : data) out.push_back(b);
  Put32(out, preview::ChunkCrc(name_bytes, data));
  return out;
}

inline Bytes IhdrData(std::uint32_t w, std::uint32_t h, int depth, int colour_type, int interlace = 0,
                      int compression = 0, int filter = 0) {
  Bytes d;
  Put32(d, w);
  Put32(d, h);
  for (int v : {depth, colour_type, compression, filter, interlace}) d.push_back(static_cast<std::uint8_t>(v));
  return d;
}

inline Bytes Deflate(const Bytes& raw) {
  uLongf size = compressBound(static_cast<uLong>(raw.size()));
  Bytes out(size);
  if (compress2(out.data(), &size, raw.data(), static_cast<uLong>(raw.size()), 9) != Z_OK)
    throw std::runtime_error("compress2 failed");
  out.resize(size);
  return out;
}

// Signature, then the chunks as given (each already framed).
inline Bytes PngFile(const std::vector<Bytes>& chunks) {
  Bytes out(preview::kPngSignature.begin(), preview::kPngSignature.end());
  for (const Bytes& c : chunks) out.insert(out.end(), c.begin(), c.end());
  return out;
}

// A whole file: IHDR, the extra chunks, one IDAT of `rows` (filter bytes
// included) and IEND.
inline Bytes SimplePng(std::uint32_t w, std::uint32_t h, int depth, int colour_type, const Bytes& rows,
                       const std::vector<Bytes>& before_idat = {}) {
  std::vector<Bytes> chunks{PngChunkBytes("IHDR", IhdrData(w, h, depth, colour_type))};
  chunks.insert(chunks.end(), before_idat.begin(), before_idat.end());
  chunks.push_back(PngChunkBytes("IDAT", Deflate(rows)));
  chunks.push_back(PngChunkBytes("IEND", {}));
  return PngFile(chunks);
}

}  // namespace plendo::test
