#include "exif/WideFileStream.h"

#include <cerrno>
#include <cstring>
#include <system_error>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace plendo::exif {
namespace {

int OpenHandle(const std::filesystem::path& path, std::uint16_t mode) {
  return mode == fmCreate ? WideFileCreate(path) : WideFileOpen(path, mode);
}

}  // namespace

std::string FullPath(const std::filesystem::path& path) {
  std::error_code ec;
  const auto full = std::filesystem::absolute(path, ec);
  return (ec ? path : full).lexically_normal().string();
}

EFOpenError::EFOpenError(const std::filesystem::path& path, int error_number)
    : EStreamError("ファイル \"" + FullPath(path) + "\" を開けません。" + std::strerror(error_number)),
      error_number_(error_number) {}

bool IsValidOpenMode(std::uint16_t mode) { return (mode & 0x03) != 0x03 && (mode & 0xF0) <= 0x40; }

int WideFileCreate(const std::filesystem::path& path) {
  return ::open(path.c_str(), O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
}

int WideFileOpen(const std::filesystem::path& path, std::uint16_t mode) {
  if (!IsValidOpenMode(mode)) {
    errno = EINVAL;
    return kInvalidHandle;
  }
  static constexpr int kAccess[] = {O_RDONLY, O_WRONLY, O_RDWR};
  const int fd = ::open(path.c_str(), kAccess[mode & 0x03] | O_CLOEXEC);
  if (fd < 0) return kInvalidHandle;
  // A folder opens for reading on POSIX; as a file it does not exist.
  struct stat st {};
  if (::fstat(fd, &st) != 0 || S_ISDIR(st.st_mode)) {
    const int error = S_ISDIR(st.st_mode) ? EISDIR : errno;
    ::close(fd);
    errno = error;
    return kInvalidHandle;
  }
  return fd;
}

bool WideFileExists(const std::filesystem::path& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 && !S_ISDIR(st.st_mode);
}

THandleStream::~THandleStream() {
  if (handle_ >= 0) ::close(handle_);
}

std::size_t THandleStream::Read(void* buffer, std::size_t count) {
  auto* out = static_cast<std::uint8_t*>(buffer);
  std::size_t done = 0;
  while (done < count) {
    const ssize_t n = ::read(handle_, out + done, count - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    done += static_cast<std::size_t>(n);
  }
  return done;
}

std::size_t THandleStream::Write(const void* buffer, std::size_t count) {
  const auto* in = static_cast<const std::uint8_t*>(buffer);
  std::size_t done = 0;
  while (done < count) {
    const ssize_t n = ::write(handle_, in + done, count - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    done += static_cast<std::size_t>(n);
  }
  return done;
}

std::int64_t THandleStream::Seek(std::int64_t offset, SeekOrigin origin) {
  const int whence = origin == SeekOrigin::Begin ? SEEK_SET : origin == SeekOrigin::Current ? SEEK_CUR : SEEK_END;
  const off_t result = ::lseek(handle_, static_cast<off_t>(offset), whence);
  if (result < 0) throw EStreamError("ストリームの位置が不正です");
  return static_cast<std::int64_t>(result);
}

std::int64_t THandleStream::Size() {
  struct stat st {};
  if (::fstat(handle_, &st) != 0) throw EStreamError("ストリームの大きさを取得できません");
  return static_cast<std::int64_t>(st.st_size);
}

TWideFileStream::TWideFileStream(const std::filesystem::path& file_name, std::uint16_t mode)
    : THandleStream(OpenHandle(file_name, mode)) {
  if (handle_ < 0) throw EFOpenError(file_name, errno);
  file_name_ = file_name;
}

}  // namespace plendo::exif
