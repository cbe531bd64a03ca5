#pragma once
// The stream the EXIF code reads and writes through: a file (TWideFileStream)
// or a block of memory (TMemoryStream). Read and Write move as many bytes as
// they can; ReadBuffer and WriteBuffer insist on all of them and raise
// EReadError / EWriteError on a short transfer.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "platform/Exception.h"

namespace plendo::exif {

class EStreamError : public Exception {
 public:
  using Exception::Exception;
};

class EReadError : public EStreamError {
 public:
  EReadError() : EStreamError("ストリームの読み込みエラー") {}
};

class EWriteError : public EStreamError {
 public:
  EWriteError() : EStreamError("ストリームの書き込みエラー") {}
};

enum class SeekOrigin { Begin, Current, End };

class TStream {
 public:
  virtual ~TStream() = default;

  virtual std::size_t Read(void* buffer, std::size_t count) = 0;
  virtual std::size_t Write(const void* buffer, std::size_t count) = 0;
  // Returns the new position; raises EStreamError for a position before 0.
  virtual std::int64_t Seek(std::int64_t offset, SeekOrigin origin) = 0;
  virtual std::int64_t Size() = 0;

  std::int64_t Position() { return Seek(0, SeekOrigin::Current); }
  void SetPosition(std::int64_t position) { Seek(position, SeekOrigin::Begin); }

  void ReadBuffer(void* buffer, std::size_t count);
  void WriteBuffer(const void* buffer, std::size_t count);
  std::uint8_t ReadByte();
  void WriteByte(std::uint8_t value) { WriteBuffer(&value, 1); }
  // Copies `count` bytes from the current position of `source`; raises on a
  // short read.
  void CopyFrom(TStream& source, std::int64_t count);
};

// A growable block of memory. Seeking past the end is allowed; writing there
// fills the gap with zero bytes.
class TMemoryStream : public TStream {
 public:
  TMemoryStream() = default;
  explicit TMemoryStream(std::vector<std::uint8_t> bytes) : bytes_(std::move(bytes)) {}

  std::size_t Read(void* buffer, std::size_t count) override;
  std::size_t Write(const void* buffer, std::size_t count) override;
  std::int64_t Seek(std::int64_t offset, SeekOrigin origin) override;
  std::int64_t Size() override { return static_cast<std::int64_t>(bytes_.size()); }

  const std::vector<std::uint8_t>& Bytes() const { return bytes_; }
  std::vector<std::uint8_t> TakeBytes() { position_ = 0; return std::move(bytes_); }

 private:
  std::vector<std::uint8_t> bytes_;
  std::size_t position_ = 0;
};

// Reads someone else's bytes in place, without a copy; writing moves nothing.
// The bytes must outlive the stream.
class TByteViewStream : public TStream {
 public:
  TByteViewStream(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}

  std::size_t Read(void* buffer, std::size_t count) override;
  std::size_t Write(const void*, std::size_t) override { return 0; }
  std::int64_t Seek(std::int64_t offset, SeekOrigin origin) override;
  std::int64_t Size() override { return static_cast<std::int64_t>(size_); }

 private:
  const std::uint8_t* data_;
  std::size_t size_;
  std::size_t position_ = 0;
};

}  // namespace plendo::exif
