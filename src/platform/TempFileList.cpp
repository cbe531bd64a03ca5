#include "platform/TempFileList.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>

namespace plendo::platform {
namespace {

void Unlist(std::vector<std::string>& paths, const std::string& path) {
  const auto it = std::find(paths.begin(), paths.end(), path);
  if (it != paths.end()) paths.erase(it);
}

}  // namespace

int TempFileList::Create(const std::filesystem::path& path) {
  std::lock_guard lock(mutex_);
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
  if (fd >= 0) paths_.push_back(path.string());
  return fd;
}

int TempFileList::Rename(const std::filesystem::path& from, const std::filesystem::path& to, unsigned flags) {
  std::lock_guard lock(mutex_);
  const int rc = flags == 0 ? ::rename(from.c_str(), to.c_str())
                            : ::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), flags);
  if (rc != 0) return errno;
  Unlist(paths_, from.string());
  return 0;
}

void TempFileList::Remove(const std::filesystem::path& path) {
  std::lock_guard lock(mutex_);
  ::unlink(path.c_str());
  Unlist(paths_, path.string());
}

void TempFileList::RemoveAllForGood() {
  mutex_.lock();  // never unlocked: the process ends
  for (const std::string& path : paths_) ::unlink(path.c_str());
  paths_.clear();
}

TempFileList& ProcessTempFiles() {
  static TempFileList list;
  return list;
}

}  // namespace plendo::platform
