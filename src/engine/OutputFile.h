#pragma once
// Puts a finished output file in place through platform/AtomicFile: never a
// partial file under the output name, and a failure leaves whatever stood
// there as it was. This layer only words the failure as its own error.
#include <cstdint>
#include <filesystem>
#include <span>
#include <string>

#include "platform/Exception.h"

namespace plendo::engine {

// Reason() is the system's word for the failure ("No space left on
// device"), when the system gave one.
class OutputFileError : public Exception {
 public:
  explicit OutputFileError(const std::string& message, std::string reason = {})
      : Exception(message), reason_(std::move(reason)) {}
  const std::string& Reason() const { return reason_; }

 private:
  std::string reason_;
};

enum class WriteOutcome { Written, AlreadyExists };

// With `replace` false an existing file at `path` is never replaced, even
// one that appeared while the bytes were written: the result is then
// AlreadyExists and nothing changes. A replaced file is synced first and its
// permissions carry over. Throws OutputFileError on any failure, among them
// a folder standing at `path`.
WriteOutcome WriteFileAtomically(const std::filesystem::path& path, std::span<const std::uint8_t> bytes,
                                 bool replace);

}  // namespace plendo::engine
