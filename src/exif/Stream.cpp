#include "exif/Stream.h"

#include <algorithm>
#include <cstring>

namespace plendo::exif {

void TStream::ReadBuffer(void* buffer, std::size_t count) {
  if (count != 0 && Read(buffer, count) != count) throw EReadError();
}

void TStream::WriteBuffer(const void* buffer, std::size_t count) {
  if (count != 0 && Write(buffer, count) != count) throw EWriteError();
}

std::uint8_t TStream::ReadByte() {
  std::uint8_t value = 0;
  ReadBuffer(&value, 1);
  return value;
}

void TStream::CopyFrom(TStream& source, std::int64_t count) {
  if (count < 0) throw EReadError();
  std::vector<std::uint8_t> chunk(static_cast<std::size_t>(std::min<std::int64_t>(count, 1 << 16)));
  while (count > 0) {
    const auto n = static_cast<std::size_t>(std::min<std::int64_t>(count, static_cast<std::int64_t>(chunk.size())));
    source.ReadBuffer(chunk.data(), n);
    WriteBuffer(chunk.data(), n);
    count -= static_cast<std::int64_t>(n);
  }
}

std::size_t TMemoryStream::Read(void* buffer, std::size_t count) {
  if (position_ >= bytes_.size()) return 0;
  const std::size_t n = std::min(count, bytes_.size() - position_);
  std::memcpy(buffer, bytes_.data() + position_, n);
  position_ += n;
  return n;
}

std::size_t TMemoryStream::Write(const void* buffer, std::size_t count) {
  if (count == 0) return 0;
  if (position_ > bytes_.size()) bytes_.resize(position_, 0);
  const std::size_t overlap = std::min(count, bytes_.size() - position_);
  const auto* src = static_cast<const std::uint8_t*>(buffer);
  if (overlap != 0) std::memcpy(bytes_.data() + position_, src, overlap);
  bytes_.insert(bytes_.end(), src + overlap, src + count);
  position_ += count;
  return count;
}

namespace {

// The new position of a seek, refused before 0 or past what 64 bits hold.
std::size_t SeekTarget(std::int64_t offset, SeekOrigin origin, std::size_t position, std::size_t size) {
  const std::int64_t base = origin == SeekOrigin::Begin     ? 0
                            : origin == SeekOrigin::Current ? static_cast<std::int64_t>(position)
                                                            : static_cast<std::int64_t>(size);
  if ((offset < 0 && base + offset < 0) || (offset > 0 && base > INT64_MAX - offset))
    throw EStreamError("ストリームの位置が不正です");
  return static_cast<std::size_t>(base + offset);
}

}  // namespace

std::int64_t TMemoryStream::Seek(std::int64_t offset, SeekOrigin origin) {
  position_ = SeekTarget(offset, origin, position_, bytes_.size());
  return static_cast<std::int64_t>(position_);
}

std::size_t TByteViewStream::Read(void* buffer, std::size_t count) {
  if (position_ >= size_) return 0;
  const std::size_t n = std::min(count, size_ - position_);
  std::memcpy(buffer, data_ + position_, n);
  position_ += n;
  return n;
}

std::int64_t TByteViewStream::Seek(std::int64_t offset, SeekOrigin origin) {
  position_ = SeekTarget(offset, origin, position_, size_);
  return static_cast<std::int64_t>(position_);
}

}  // namespace plendo::exif
