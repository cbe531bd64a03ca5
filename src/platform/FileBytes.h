#pragma once
// Reading a whole file into memory, for the decoders that take bytes. The
// cap keeps a hostile or mistaken path (a huge file, a device) from taking
// unbounded memory; only regular files are read, so a FIFO never blocks us.
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/Exception.h"

namespace plendo::platform {

// Reason() is the system's word for it ("No such file or directory", "Is a
// directory", "Permission denied").
class FileReadError : public Exception {
 public:
  FileReadError(const std::string& message, std::string reason) : Exception(message), reason_(std::move(reason)) {}
  const std::string& Reason() const { return reason_; }

 private:
  std::string reason_;
};

// Throws FileReadError when the path is not a readable regular file or holds
// more than max_bytes; std::bad_alloc when memory runs out.
std::vector<std::uint8_t> ReadFileBytes(const std::filesystem::path& path, std::size_t max_bytes);

}  // namespace plendo::platform
