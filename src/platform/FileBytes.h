#pragma once
// Reading a whole file into memory, for the decoders that take bytes. The
// cap keeps a hostile or mistaken path (a huge file, a device) from taking
// unbounded memory; only regular files are read, so a FIFO never blocks us.
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <vector>

#include "platform/Exception.h"

namespace plendo::platform {

class FileReadError : public Exception {
 public:
  using Exception::Exception;
};

// Throws FileReadError when the path is not a readable regular file or holds
// more than max_bytes; std::bad_alloc when memory runs out.
std::vector<std::uint8_t> ReadFileBytes(const std::filesystem::path& path, std::size_t max_bytes);

}  // namespace plendo::platform
