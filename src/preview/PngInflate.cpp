#include "preview/PngInflate.h"

#include "preview/PngErrors.h"

namespace plendo::preview {

std::string ZlibCodeText(int zlib_code) {
  switch (zlib_code) {
    case Z_NEED_DICT: return "need dictionary (2)";
    case Z_STREAM_END: return "stream end (1)";
    case Z_OK: return "(0)";
    case Z_ERRNO: return "file error (-1)";
    case Z_STREAM_ERROR: return "stream error (-2)";
    case Z_DATA_ERROR: return "data error (-3)";
    case Z_MEM_ERROR: return "insufficient memory (-4)";
    case Z_BUF_ERROR: return "buffer error (-5)";
    case Z_VERSION_ERROR: return "incompatible version (-6)";
    default: {
      std::string text = "(";
      text += std::to_string(zlib_code);
      text += ')';
      return text;
    }
  }
}

EPNGZLIBError::EPNGZLIBError(int zlib_code)
    : PngFailure("Could not decompress the image because it contains invalid compressed data.\r\n"
                 " Description: " +
                 ZlibCodeText(zlib_code)),
      code_(zlib_code) {}

PngInflater::PngInflater() {
  auto* raw = new z_stream{};
  const int started = inflateInit(raw);
  if (started != Z_OK) {
    delete raw;
    throw EPNGZLIBError(started);
  }
  stream_.reset(raw);
}

void PngInflater::SetInput(std::span<const std::uint8_t> input) {
  // zlib never writes through next_in; its pointer is merely not const.
  stream_->next_in = const_cast<Bytef*>(input.data());
  stream_->avail_in = static_cast<uInt>(input.size());
}

PngInflater::Result PngInflater::Inflate(std::span<std::uint8_t> out) {
  Result result;
  while (result.produced < out.size()) {
    stream_->next_out = out.data() + result.produced;
    stream_->avail_out = static_cast<uInt>(out.size() - result.produced);
    const int code = inflate(stream_.get(), Z_NO_FLUSH);
    result.produced = out.size() - stream_->avail_out;
    if (code == Z_STREAM_END) {
      result.ended = true;
      break;
    }
    // No progress possible: the input is used up (or the output is full).
    if (code == Z_BUF_ERROR) break;
    if (code != Z_OK) throw EPNGZLIBError(code);
    if (stream_->avail_in == 0) break;
  }
  return result;
}

std::optional<std::string> InflateText(std::span<const std::uint8_t> data, std::size_t limit) {
  try {
    PngInflater inflater;
    inflater.SetInput(data);
    std::string text;
    std::uint8_t block[4096];
    for (;;) {
      const auto got = inflater.Inflate(block);
      if (text.size() + got.produced > limit) return std::nullopt;
      text.append(reinterpret_cast<const char*>(block), got.produced);
      if (got.ended) return text;
      if (got.produced == 0) return std::nullopt;  // cut short
    }
  } catch (const EPNGZLIBError&) {
    return std::nullopt;
  }
}

}  // namespace plendo::preview
