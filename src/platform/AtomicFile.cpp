#include "platform/AtomicFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <optional>
#include <random>
#include <string>
#include <system_error>

#include "platform/FileDescriptor.h"
#include "platform/TempFileList.h"

namespace plendo::platform {
namespace {

namespace fs = std::filesystem;

[[noreturn]] void Fail(const std::string& what, const fs::path& path, int error) {
  throw AtomicFileError(what + " " + path.string() + ": " + std::strerror(error), error);
}

// Removes the temporary file unless it was renamed into place. It is on the
// process's list of temporary files from its creation to its rename or
// removal, so a process ended by a signal leaves none behind.
class TempFile {
 public:
  explicit TempFile(fs::path path) : path_(std::move(path)) {}
  ~TempFile() {
    if (!kept_) ProcessTempFiles().Remove(path_);
  }
  TempFile(const TempFile&) = delete;
  TempFile& operator=(const TempFile&) = delete;
  const fs::path& Path() const { return path_; }
  // 0, or the errno of the failed rename.
  int RenameTo(const fs::path& path, unsigned flags = 0) {
    const int error = ProcessTempFiles().Rename(path_, path, flags);
    if (error == 0) kept_ = true;
    return error;
  }

 private:
  fs::path path_;
  bool kept_ = false;
};

// A short hidden name, whatever the length of the target's name, created
// exclusively so two writers never share it.
int CreateTemp(const fs::path& folder, fs::path& created) {
  static thread_local std::mt19937_64 random{std::random_device{}()};
  for (int attempt = 0; attempt < 100; ++attempt) {
    char name[40];
    std::snprintf(name, sizeof name, ".plendo-%016llx.tmp", static_cast<unsigned long long>(random()));
    const fs::path candidate = folder / name;
    const int fd = ProcessTempFiles().Create(candidate);
    if (fd >= 0) {
      created = candidate;
      return fd;
    }
    if (errno != EEXIST) Fail("cannot create a file in", folder, errno);
  }
  Fail("cannot create a file in", folder, EEXIST);
}

void WriteAll(int fd, std::span<const std::uint8_t> bytes, const fs::path& path) {
  std::size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) Fail("cannot write", path, errno);
    if (n == 0) Fail("cannot write", path, ENOSPC);  // no progress: never spin
    done += static_cast<std::size_t>(n);
  }
}

// What stands at `path`, when something does. What a plain truncating write
// could not have written is refused, not replaced: a device, a FIFO, or a
// file without write permission (judged by its bits too, so the superuser
// does not overwrite a file its owner made read-only).
struct ExistingFile {
  mode_t mode;
  nlink_t links;
  dev_t device;
  ino_t inode;
};

std::optional<ExistingFile> Existing(const fs::path& path) {
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0) return std::nullopt;
  if (S_ISDIR(st.st_mode)) Fail("cannot write", path, EISDIR);
  if (!S_ISREG(st.st_mode)) Fail("cannot write", path, EPERM);
  if ((st.st_mode & 0222) == 0 || ::access(path.c_str(), W_OK) != 0) Fail("cannot write", path, EACCES);
  return ExistingFile{st.st_mode & 07777, st.st_nlink, st.st_dev, st.st_ino};
}

// A symbolic link at the name is written through: its target is replaced,
// the link stays.
fs::path ResolveLinks(const fs::path& path) {
  std::error_code ec;
  if (!fs::is_symlink(path, ec)) return path;
  const fs::path target = fs::weakly_canonical(path, ec);
  return ec ? path : target;
}

bool IsDirectory(const fs::path& path) {
  std::error_code ec;
  return fs::is_directory(path, ec);
}

bool Exists(const fs::path& path) {
  std::error_code ec;
  return fs::symlink_status(path, ec).type() != fs::file_type::not_found && !ec;
}

// With no-replace, a name taken in the meantime is a skip, not a failure,
// unless a folder stands there.
AtomicWriteOutcome AlreadyThere(const fs::path& path) {
  if (IsDirectory(path)) Fail("cannot write", path, EISDIR);
  return AtomicWriteOutcome::AlreadyExists;
}

AtomicWriteOutcome RenameInto(TempFile& temp, const fs::path& path) {
  if (const int error = temp.RenameTo(path); error != 0) Fail("cannot write", path, error);
  return AtomicWriteOutcome::Written;
}

AtomicWriteOutcome RenameIntoFreeName(TempFile& temp, const fs::path& path) {
  const int error = temp.RenameTo(path, RENAME_NOREPLACE);
  if (error == 0) return AtomicWriteOutcome::Written;
  if (error == EEXIST) return AlreadyThere(path);
  if (error != EINVAL && error != ENOSYS && error != ENOTSUP) Fail("cannot write", path, error);
  // File systems without a no-replace rename: check, then rename.
  if (Exists(path)) return AlreadyThere(path);
  return RenameInto(temp, path);
}

// A file with other hard links is rewritten in place, so that every name
// keeps seeing one file; renaming would leave the other names with the old
// bytes. Only the file stat() saw is written, never one put there since.
void WriteThrough(const fs::path& path, const ExistingFile& existing, std::span<const std::uint8_t> bytes,
                  AtomicWriteSync sync) {
  FileDescriptor fd(::open(path.c_str(), O_WRONLY | O_NOFOLLOW | O_CLOEXEC));
  if (fd.Get() < 0) Fail("cannot write", path, errno);
  struct stat st {};
  if (::fstat(fd.Get(), &st) != 0) Fail("cannot write", path, errno);
  if (st.st_dev != existing.device || st.st_ino != existing.inode) Fail("cannot write", path, EBUSY);
  WriteAll(fd.Get(), bytes, path);
  if (::ftruncate(fd.Get(), static_cast<off_t>(bytes.size())) != 0) Fail("cannot write", path, errno);
  if (sync == AtomicWriteSync::WhenReplacing && ::fsync(fd.Get()) != 0) Fail("cannot write", path, errno);
  if (fd.Close() != 0) Fail("cannot write", path, errno);
}

// The complete bytes are in the temporary file before the linked file is
// touched, so nothing that could fail early (a full disk, a quota) has cost
// the old content. Should the write through fail half-way all the same, the
// name at least gets the finished file by a rename, and the failure is still
// reported: the other names hold a damaged file.
AtomicWriteOutcome ReplaceLinked(TempFile& temp, const fs::path& path, const ExistingFile& existing,
                                 std::span<const std::uint8_t> bytes, AtomicWriteSync sync) {
  try {
    WriteThrough(path, existing, bytes, sync);
  } catch (const AtomicFileError&) {
    temp.RenameTo(path);
    throw;
  }
  return AtomicWriteOutcome::Written;
}

}  // namespace

AtomicWriteOutcome WriteFileAtomically(const fs::path& name, std::span<const std::uint8_t> bytes,
                                       AtomicWriteMode mode, AtomicWriteSync sync) {
  const fs::path path = mode == AtomicWriteMode::Replace ? ResolveLinks(name) : name;
  const std::optional<ExistingFile> replaced = mode == AtomicWriteMode::Replace ? Existing(path) : std::nullopt;
  const fs::path folder = path.has_parent_path() ? path.parent_path() : fs::path(".");
  fs::path temp_path;
  FileDescriptor fd(CreateTemp(folder, temp_path));
  TempFile temp(temp_path);
  WriteAll(fd.Get(), bytes, temp.Path());

  if (mode == AtomicWriteMode::Replace) {
    if (replaced) ::fchmod(fd.Get(), replaced->mode);
    // A file that replaces another must be on disk before the rename makes
    // the old one go; a new file risks nothing of the user's.
    if (sync == AtomicWriteSync::WhenReplacing && Exists(path) && ::fsync(fd.Get()) != 0)
      Fail("cannot write", temp.Path(), errno);
  }
  if (fd.Close() != 0) Fail("cannot write", temp.Path(), errno);
  if (mode == AtomicWriteMode::NoReplace) return RenameIntoFreeName(temp, path);
  if (replaced && replaced->links > 1) return ReplaceLinked(temp, path, *replaced, bytes, sync);
  return RenameInto(temp, path);
}

}  // namespace plendo::platform
