#pragma once
// zlib's inflate stream for the PNG decoder, owned by a unique_ptr whose
// deleter calls inflateEnd, so every exit (errors included) releases it.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>

#include <zlib.h>

namespace plendo::preview {

class PngInflater {
 public:
  // Raises EPNGZLIBError when zlib cannot start (no memory).
  PngInflater();

  // Feeds `input` (zlib keeps pointing into it until it is used up).
  void SetInput(std::span<const std::uint8_t> input);
  std::size_t InputLeft() const { return stream_->avail_in; }

  struct Result {
    std::size_t produced = 0;
    bool ended = false;  // zlib met the end of its stream
  };
  // Inflates into `out` until it is full, the input runs out or the stream
  // ends. zlib's errors raise EPNGZLIBError; running short of input does not.
  Result Inflate(std::span<std::uint8_t> out);

 private:
  struct End {
    void operator()(z_stream* s) const {
      inflateEnd(s);
      delete s;
    }
  };
  std::unique_ptr<z_stream, End> stream_;
};

// The whole zlib stream in `data` as text, at most `limit` bytes of it;
// nothing when it is damaged, cut short or longer than that.
std::optional<std::string> InflateText(std::span<const std::uint8_t> data, std::size_t limit);

}  // namespace plendo::preview
