#pragma once
// Replaces a file's content in one step through platform/AtomicFile: the
// target keeps its permissions, and a failure leaves it as it was with no
// temporary file behind. Not synced: the targets are outputs written a
// moment ago, not files of the user's.
#include <cstddef>
#include <cstdint>
#include <filesystem>

#include "exif/Stream.h"

namespace plendo::exif {

// The file could not be written; names the full path and the system's text.
class EFCreateError : public EStreamError {
 public:
  EFCreateError(const std::filesystem::path& path, int error_number);
};

void ReplaceFileContents(const std::filesystem::path& path, const std::uint8_t* data, std::size_t size);

// The whole content of a file (read through TWideFileStream).
std::vector<std::uint8_t> ReadFileContents(const std::filesystem::path& path);

}  // namespace plendo::exif
