#pragma once
// File access by path for the EXIF code, over a POSIX descriptor; paths go
// to the system unchanged (relative ones resolve against the current folder).
// The open mode word keeps the sharing bits of the stream interface so that
// callers state their intent, but the system has no share modes to apply.
//
// Open mode word (16 bits):
//   bits 0-1  access: 0 read, 1 write, 2 read and write (3 is invalid)
//   bits 4-7  sharing: 0x00 compatibility, 0x10 exclusive, 0x20 deny write,
//             0x30 deny read, 0x40 deny none (above 0x40 is invalid).
//             POSIX has no share modes: the bits are checked, then ignored.
//   0xFFFF    create (or truncate), read and write
#include <cstdint>
#include <filesystem>
#include <string>

#include "exif/Stream.h"

namespace plendo::exif {

inline constexpr std::uint16_t fmOpenRead = 0x0000;
inline constexpr std::uint16_t fmOpenWrite = 0x0001;
inline constexpr std::uint16_t fmOpenReadWrite = 0x0002;
inline constexpr std::uint16_t fmShareCompat = 0x0000;
inline constexpr std::uint16_t fmShareExclusive = 0x0010;
inline constexpr std::uint16_t fmShareDenyWrite = 0x0020;
inline constexpr std::uint16_t fmShareDenyRead = 0x0030;
inline constexpr std::uint16_t fmShareDenyNone = 0x0040;
inline constexpr std::uint16_t fmCreate = 0xFFFF;

inline constexpr int kInvalidHandle = -1;

// The file could not be opened or created. The message names the full path
// and carries the system's text for the error.
class EFOpenError : public EStreamError {
 public:
  EFOpenError(const std::filesystem::path& path, int error_number);
  int ErrorNumber() const { return error_number_; }

 private:
  int error_number_;
};

// The absolute, normalised path that the file errors name.
std::string FullPath(const std::filesystem::path& path);

bool IsValidOpenMode(std::uint16_t mode);

// Creates the file or truncates an existing one; read and write access.
// Returns kInvalidHandle on failure (errno tells why).
int WideFileCreate(const std::filesystem::path& path);
// Opens an existing file (not a folder) with the access of `mode`; an invalid
// mode gives kInvalidHandle without touching the file system (errno EINVAL).
int WideFileOpen(const std::filesystem::path& path, std::uint16_t mode);
// True for an existing file that is not a folder.
bool WideFileExists(const std::filesystem::path& path);

// A stream over an open descriptor, which it owns and closes.
class THandleStream : public TStream {
 public:
  explicit THandleStream(int handle) : handle_(handle) {}
  ~THandleStream() override;
  THandleStream(const THandleStream&) = delete;
  THandleStream& operator=(const THandleStream&) = delete;

  int Handle() const { return handle_; }

  std::size_t Read(void* buffer, std::size_t count) override;
  std::size_t Write(const void* buffer, std::size_t count) override;
  std::int64_t Seek(std::int64_t offset, SeekOrigin origin) override;
  std::int64_t Size() override;

 protected:
  int handle_;
};

class TWideFileStream : public THandleStream {
 public:
  // Opens (any mode but fmCreate) or creates (fmCreate) the file; raises
  // EFOpenError on failure, with nothing left open.
  TWideFileStream(const std::filesystem::path& file_name, std::uint16_t mode);

  const std::filesystem::path& FileName() const { return file_name_; }

 private:
  std::filesystem::path file_name_;
};

}  // namespace plendo::exif
