#include "platform/FileBytes.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <algorithm>

#include "platform/FileDescriptor.h"

namespace plendo::platform {
namespace {

[[noreturn]] void Fail(const std::filesystem::path& path, const char* what, const char* reason) {
  throw FileReadError(std::string(what) + ": " + path.string(), reason);
}

}  // namespace

std::vector<std::uint8_t> ReadFileBytes(const std::filesystem::path& path, std::size_t max_bytes) {
  // O_NONBLOCK so that opening a FIFO does not wait for a writer; the
  // regular-file check below rejects it anyway.
  FileDescriptor fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
  if (fd.Get() < 0) Fail(path, "cannot open", std::strerror(errno));
  struct stat st {};
  if (::fstat(fd.Get(), &st) != 0) Fail(path, "cannot stat", std::strerror(errno));
  if (!S_ISREG(st.st_mode)) Fail(path, "not a regular file", S_ISDIR(st.st_mode) ? std::strerror(EISDIR) : "not a regular file");
  if (st.st_size < 0 || static_cast<unsigned long long>(st.st_size) > max_bytes) Fail(path, "file too large", std::strerror(EFBIG));

  // The size is a hint only: the file may grow or shrink while we read.
  std::vector<std::uint8_t> bytes(static_cast<std::size_t>(st.st_size));
  std::size_t used = 0;
  for (;;) {
    if (used < bytes.size()) {
      const ssize_t n = ::read(fd.Get(), bytes.data() + used, bytes.size() - used);
      if (n < 0 && errno == EINTR) continue;
      if (n < 0) Fail(path, "cannot read", std::strerror(errno));
      if (n == 0) break;
      used += static_cast<std::size_t>(n);
      continue;
    }
    // The buffer is full: one more byte means the file grew.
    std::uint8_t probe = 0;
    const ssize_t n = ::read(fd.Get(), &probe, 1);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) Fail(path, "cannot read", std::strerror(errno));
    if (n == 0) break;
    if (used >= max_bytes) Fail(path, "file too large", std::strerror(EFBIG));
    const std::size_t grow = std::max<std::size_t>(65536, used / 2);
    bytes.resize(used + std::min(grow, max_bytes - used));
    bytes[used++] = probe;
  }
  bytes.resize(used);
  return bytes;
}

}  // namespace plendo::platform
