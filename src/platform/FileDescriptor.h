#pragma once
// Owns one POSIX file descriptor; closes it when it goes unless it was
// closed on purpose first (a late write error on close is worth seeing).
#include <unistd.h>

namespace plendo::platform {

class FileDescriptor {
 public:
  explicit FileDescriptor(int fd) : fd_(fd) {}
  ~FileDescriptor() {
    if (fd_ >= 0) ::close(fd_);
  }
  FileDescriptor(const FileDescriptor&) = delete;
  FileDescriptor& operator=(const FileDescriptor&) = delete;

  int Get() const { return fd_; }
  // Closes now and returns close()'s result; the destructor then does nothing.
  int Close() {
    const int rc = ::close(fd_);
    fd_ = -1;
    return rc;
  }

 private:
  int fd_;
};

}  // namespace plendo::platform
