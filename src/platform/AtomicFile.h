#pragma once
// Puts a whole file in place without ever leaving a partial file under its
// name: the bytes go to a temporary file in the same folder, which is then
// renamed onto the name. A failure removes the temporary file and leaves
// whatever stood at the name as it was. Used for the engine's JPEG output
// and for the EXIF writer's in-place update; each turns AtomicFileError into
// its own error class.
#include <cstdint>
#include <filesystem>
#include <span>

#include "platform/Exception.h"

namespace plendo::platform {

// The message names what failed and the system's text; ErrorNumber() is the
// errno behind it, for callers that word their own message.
class AtomicFileError : public Exception {
 public:
  AtomicFileError(const std::string& message, int error_number) : Exception(message), error_number_(error_number) {}
  int ErrorNumber() const { return error_number_; }

 private:
  int error_number_;
};

enum class AtomicWriteMode { Replace, NoReplace };
// Syncing costs a disk flush per file: the engine pays it only when a file
// of the user's is about to go; the EXIF writer, rewriting an output made a
// moment ago, does not.
enum class AtomicWriteSync { WhenReplacing, Never };
enum class AtomicWriteOutcome { Written, AlreadyExists };

// Replace puts the bytes over whatever file stands at `path`; the new file
// keeps the permissions of the one it replaces (with WhenReplacing it is on
// disk before the old content goes). NoReplace never
// replaces an existing file, even one that appeared while the bytes were
// written: the outcome is then AlreadyExists and nothing changes. With
// Replace, a symbolic link at `path` is written through to its target, and
// anything there that a plain write could not have written (a folder, a
// FIFO or device, a read-only file) is a failure. A file with more than one
// hard link is rewritten in place once the temporary file holds every byte,
// so all its names see the new content. Throws AtomicFileError on any
// failure.
AtomicWriteOutcome WriteFileAtomically(const std::filesystem::path& path, std::span<const std::uint8_t> bytes,
                                       AtomicWriteMode mode, AtomicWriteSync sync);

}  // namespace plendo::platform
