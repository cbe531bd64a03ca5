#include "engine/OutputFile.h"

#include <cstring>

#include "platform/AtomicFile.h"

namespace plendo::engine {

WriteOutcome WriteFileAtomically(const std::filesystem::path& path, std::span<const std::uint8_t> bytes,
                                 bool replace) {
  using platform::AtomicWriteMode;
  try {
    const auto outcome = platform::WriteFileAtomically(
        path, bytes, replace ? AtomicWriteMode::Replace : AtomicWriteMode::NoReplace,
        platform::AtomicWriteSync::WhenReplacing);
    return outcome == platform::AtomicWriteOutcome::Written ? WriteOutcome::Written : WriteOutcome::AlreadyExists;
  } catch (const platform::AtomicFileError& e) {
    throw OutputFileError(e.what(), std::strerror(e.ErrorNumber()));
  }
}

}  // namespace plendo::engine
