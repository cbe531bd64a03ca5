#include "exif/EntryItems.h"

#include <array>

#include "exif/ByteOrder.h"
#include "exif/ExifError.h"
#include "exif/ExifInfo.h"

namespace plendo::exif {
namespace {

struct Pointer {
  std::uint16_t tag;
  std::uint8_t dir;     // where the pointer entry stands
  int target;           // the directory it points at; -1: the end of the block
};
// The Interoperability pointer first: dropping it may empty directory 1.
constexpr std::array<Pointer, 4> kPointers = {{
    {kTagInteropIfdPointer, 1, 3},
    {kTagExifIfdPointer, 0, 1},
    {kTagGpsIfdPointer, 0, 2},
    {kTagJpegInterchangeFormat, 0, -1},
}};

}  // namespace

void TEntryItems::Assign(const TEntryItems& source) {
  if (&source == this) return;
  TiffOrigin = source.TiffOrigin;
  items_.clear();
  for (const TEntryItem& item : source.items_) AddEntry().Assign(item);
}

void TEntryItems::Delete(int index) {
  if (index < 0 || index >= Count()) return;
  items_.erase(items_.begin() + index);
}

TEntryItem& TEntryItems::AddEntry() { return items_.emplace_back(this); }

TEntryItem& TEntryItems::AddTag(std::uint16_t tag) {
  TEntryItem& item = AddEntry();
  item.Tag = tag;
  return item;
}

TEntryItem& TEntryItems::Append(TEntryItem&& item) {
  TEntryItem& added = items_.emplace_back(std::move(item));
  added.collection_ = this;
  return added;
}

int TEntryItems::IndexOfTag(std::uint16_t tag, std::uint8_t dir) const {
  for (std::size_t i = 0; i < items_.size(); ++i)
    if (items_[i].Tag == tag && items_[i].Directory == dir) return static_cast<int>(i);
  return -1;
}

int TEntryItems::CountInDirectory(std::uint8_t dir) const {
  int count = 0;
  for (const TEntryItem& item : items_) count += item.Directory == dir ? 1 : 0;
  return count;
}

void TEntryItems::SetAsciiTag(std::uint16_t tag, std::uint8_t dir, std::string_view text) {
  const int index = IndexOfTag(tag, dir);
  TEntryItem& item = index >= 0 ? items_[static_cast<std::size_t>(index)] : AddTag(tag);
  item.Directory = dir;
  item.SetAsString(text);
}

void TEntryItems::PrepareForWrite() {
  for (int i = Count() - 1; i >= 0; --i)
    if (TypeSize(items_[static_cast<std::size_t>(i)].DataType) == 0 || items_[static_cast<std::size_t>(i)].Directory > 3)
      Delete(i);
  for (const Pointer& pointer : kPointers) {
    for (int i = Count() - 1; i >= 0; --i) {
      TEntryItem& item = items_[static_cast<std::size_t>(i)];
      if (item.Tag != pointer.tag || item.Directory != pointer.dir) continue;
      if (pointer.target >= 0 && CountInDirectory(static_cast<std::uint8_t>(pointer.target)) == 0) {
        Delete(i);
      } else if (item.DataType != kTypeLong || item.ValueCount() != 1) {
        item.ClearValues();
        item.SetAsLong(0, 0);
      }
    }
  }
}

std::uint32_t TEntryItems::GetDirectorySize(std::uint8_t dir) {
  std::uint32_t size = 0;
  int count = 0;
  for (TEntryItem& item : items_) {
    if (item.Directory != dir) continue;
    size += item.GetEntrySize();
    ++count;
  }
  return count == 0 ? 0 : 6 + size;
}

std::uint32_t TEntryItems::GetBlockSize() {
  std::uint32_t size = 0;
  for (std::uint8_t dir = 0; dir <= 3; ++dir) size += GetDirectorySize(dir);
  return size;
}

void TEntryItems::SetPointerTag(std::uint16_t tag, std::uint8_t dir, std::uint32_t value) {
  const int index = IndexOfTag(tag, dir);
  if (index >= 0) items_[static_cast<std::size_t>(index)].SetAsLong(0, value);
}

// One directory in the block:
//   2        entry count N
//   12 x N   entries, in list order
//   4        next-IFD offset
//   ...      the data of every entry longer than 4 bytes, in list order,
//            without padding
void TEntryItems::WriteToStream(TStream& stream, bool link_next) {
  const std::uint16_t order = owner_ ? owner_->ByteOrder() : kLittleEndian;
  const std::int64_t start = stream.Position();
  const std::int64_t ifd_start = start - TiffOrigin;
  if (ifd_start < 0 || ifd_start > 0xFFFF0000) throw EExifError::WithText(kBlockTooLargeText);

  // Layout pass: offsets of entries, of their data and of each directory.
  std::uint32_t off = static_cast<std::uint32_t>(ifd_start) + 2;
  std::array<std::uint32_t, 4> dir_offset{};
  for (std::uint8_t dir = 0; dir <= 3; ++dir) {
    const auto n = static_cast<std::uint32_t>(CountInDirectory(dir));
    std::uint32_t data = off + 12 * n + 4;
    dir_offset[dir] = off - 2;
    if (n == 0) continue;
    for (TEntryItem& item : items_) {
      if (item.Directory != dir) continue;
      item.EntryOffset = off;
      const std::uint32_t extra = item.GetEntrySize() - 12;
      item.ValueOffset = extra >= 1 ? data : 0;
      data += extra;
      off += 12;
    }
    off = data + 2;
  }
  const std::uint32_t end = off - 2;

  SetPointerTag(kTagJpegInterchangeFormat, 0, end);
  SetPointerTag(kTagExifIfdPointer, 0, dir_offset[1]);
  SetPointerTag(kTagGpsIfdPointer, 0, dir_offset[2]);
  SetPointerTag(kTagInteropIfdPointer, 1, dir_offset[3]);

  // Write pass.
  for (std::uint8_t dir = 0; dir <= 3; ++dir) {
    const int n = CountInDirectory(dir);
    if (n == 0) continue;
    if (n > 0xFFFF) throw EExifError::WithText(kBlockTooLargeText);
    WriteWord(stream, static_cast<std::uint16_t>(n), order);
    for (TEntryItem& item : items_)
      if (item.Directory == dir) item.WriteEntry(stream);
    WriteDWord(stream, link_next && dir == 0 ? end : 0, order);
    for (TEntryItem& item : items_)
      if (item.Directory == dir && item.ValueOffset != 0) item.WriteValues(stream, order);
  }
  // The layout and the bytes must agree, or every offset after this is wrong.
  if (stream.Position() - TiffOrigin != static_cast<std::int64_t>(end))
    throw EExifError(kExifBadStream);
}

}  // namespace plendo::exif
