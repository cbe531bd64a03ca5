#pragma once
// Puts a finished output file in place without ever leaving a partial file
// under the output name: the bytes go to a temporary file in the same folder,
// which is then renamed over the output name. A failure removes the temporary
// file and leaves whatever stood at the output name as it was.
#include <cstdint>
#include <filesystem>
#include <span>

#include "platform/Exception.h"

namespace plendo::engine {

class OutputFileError : public Exception {
 public:
  using Exception::Exception;
};

enum class WriteOutcome { Written, AlreadyExists };

// With `replace` false an existing file at `path` is never replaced, even
// one that appeared while the bytes were written: the result is then
// AlreadyExists and nothing changes. Throws OutputFileError on any failure,
// among them a folder standing at `path`.
WriteOutcome WriteFileAtomically(const std::filesystem::path& path, std::span<const std::uint8_t> bytes,
                                 bool replace);

}  // namespace plendo::engine
