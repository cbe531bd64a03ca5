#pragma once
// The temporary files this process has made and not yet renamed into place
// or removed. A process that must end at once (a second Ctrl-C) removes
// them first, so that none outlives it.
//
// Every change happens under one lock, held across the system call that
// makes, renames or removes the file: the list never misses a file that
// exists, and once RemoveAllForGood() has run no other can appear.
#include <filesystem>
#include <mutex>
#include <string>
#include <vector>

namespace plendo::platform {

class TempFileList {
 public:
  // Creates a file exclusively (open with O_CREAT | O_EXCL) and lists it;
  // the descriptor, or -1 with errno set.
  int Create(const std::filesystem::path& path);
  // Renames a listed file (renameat2 `flags`, 0 for a plain rename) and
  // unlists it on success; 0, or the errno of the failure.
  int Rename(const std::filesystem::path& from, const std::filesystem::path& to, unsigned flags = 0);
  // Removes a listed file and unlists it.
  void Remove(const std::filesystem::path& path);

  // Removes every listed file and keeps the lock, so that no thread makes or
  // renames one after: for a process about to end by a signal.
  void RemoveAllForGood();

 private:
  std::mutex mutex_;
  std::vector<std::string> paths_;
};

// The one list of the process.
TempFileList& ProcessTempFiles();

}  // namespace plendo::platform
