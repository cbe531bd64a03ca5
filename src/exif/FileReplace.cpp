#include "exif/FileReplace.h"

#include <cerrno>
#include <cstring>
#include <string>
#include <system_error>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "exif/WideFileStream.h"

namespace plendo::exif {
namespace {

std::string FullPath(const std::filesystem::path& path) {
  std::error_code ec;
  const auto full = std::filesystem::absolute(path, ec);
  return (ec ? path : full).lexically_normal().string();
}

// Closes and removes the temporary file unless it was renamed into place.
class TempFile {
 public:
  explicit TempFile(const std::filesystem::path& folder) {
    name_ = (folder / ".plendo-XXXXXX").string();
    fd_ = ::mkstemp(name_.data());
  }
  ~TempFile() {
    if (fd_ >= 0) ::close(fd_);
    if (!renamed_ && fd_ != -1) ::unlink(name_.c_str());
  }
  TempFile(const TempFile&) = delete;
  TempFile& operator=(const TempFile&) = delete;

  int fd() const { return fd_; }
  const std::string& name() const { return name_; }
  bool Close() {
    const int fd = fd_;
    fd_ = -2;  // closed, still to be removed unless renamed
    return ::close(fd) == 0;
  }
  void MarkRenamed() { renamed_ = true; }

 private:
  std::string name_;
  int fd_ = -1;
  bool renamed_ = false;
};

}  // namespace

EFCreateError::EFCreateError(const std::filesystem::path& path, int error_number)
    : EStreamError("ファイル \"" + FullPath(path) + "\" を作成できません。" + std::strerror(error_number)) {}

void ReplaceFileContents(const std::filesystem::path& path, const std::uint8_t* data, std::size_t size) {
  const std::filesystem::path folder = path.has_parent_path() ? path.parent_path() : std::filesystem::path(".");
  TempFile temp(folder);
  if (temp.fd() < 0) throw EFCreateError(path, errno);
  std::size_t done = 0;
  while (done < size) {
    const ssize_t n = ::write(temp.fd(), data + done, size - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) throw EFCreateError(path, n < 0 ? errno : ENOSPC);
    done += static_cast<std::size_t>(n);
  }
  // The new file keeps the permissions of the one it replaces.
  struct stat st {};
  if (::stat(path.c_str(), &st) == 0) ::fchmod(temp.fd(), st.st_mode & 07777);
  if (!temp.Close()) throw EFCreateError(path, errno);
  if (::rename(temp.name().c_str(), path.c_str()) != 0) throw EFCreateError(path, errno);
  temp.MarkRenamed();
}

std::vector<std::uint8_t> ReadFileContents(const std::filesystem::path& path) {
  TWideFileStream stream(path, fmOpenRead);
  const std::int64_t size = stream.Size();
  std::vector<std::uint8_t> bytes(static_cast<std::size_t>(size));
  stream.ReadBuffer(bytes.data(), bytes.size());
  return bytes;
}

}  // namespace plendo::exif
