#pragma once
// The entries of one list of an EXIF block: the main list (IFD0 and the
// directories it points to) or the thumbnail list (IFD1 and its own). Each
// entry carries its directory number:
//
//   0  IFD0 / IFD1
//   1  Exif directory        (pointer 0x8769 in directory 0)
//   2  GPS directory         (pointer 0x8825 in directory 0; main list only)
//   3  Interoperability dir. (pointer 0xA005 in directory 1)
//
// Entries keep the order they were read in; added entries go to the end.
#include <cstdint>
#include <deque>
#include <string_view>

#include "exif/EntryItem.h"

namespace plendo::exif {

inline constexpr std::uint16_t kTagJpegInterchangeFormat = 0x0201;
inline constexpr std::uint16_t kTagJpegInterchangeFormatLength = 0x0202;
inline constexpr std::uint16_t kTagExifIfdPointer = 0x8769;
inline constexpr std::uint16_t kTagGpsIfdPointer = 0x8825;
inline constexpr std::uint16_t kTagInteropIfdPointer = 0xA005;

class TEntryItems {
 public:
  explicit TEntryItems(TExifInfo* owner = nullptr) : owner_(owner) {}
  TEntryItems(const TEntryItems&) = delete;
  TEntryItems& operator=(const TEntryItems&) = delete;

  // Stream position of the TIFF header the entries' offsets count from; set
  // by the parse and by the writer.
  std::int64_t TiffOrigin = 0;

  TExifInfo* Owner() const { return owner_; }
  void Assign(const TEntryItems& source);

  int Count() const { return static_cast<int>(items_.size()); }
  TEntryItem& operator[](int index) { return items_.at(static_cast<std::size_t>(index)); }
  const TEntryItem& operator[](int index) const { return items_.at(static_cast<std::size_t>(index)); }
  void Clear() { items_.clear(); }
  void Delete(int index);

  // References to entries stay valid while entries are appended.
  TEntryItem& AddEntry();
  TEntryItem& AddTag(std::uint16_t tag);
  TEntryItem& Append(TEntryItem&& item);
  int IndexOfTag(std::uint16_t tag, std::uint8_t dir) const;
  int CountInDirectory(std::uint8_t dir) const;
  void SetAsciiTag(std::uint16_t tag, std::uint8_t dir, std::string_view text);

  // --- writing ---
  // Makes the list writable as laid out: drops entries without a value
  // layout, drops a pointer to a directory without entries, and turns every
  // pointer entry into a LONG with one value, so that the sizes computed
  // before the pointers are set are the sizes written.
  void PrepareForWrite();
  // 0 for a directory without entries, else 6 + the sizes of its entries.
  std::uint32_t GetDirectorySize(std::uint8_t dir);
  std::uint32_t GetBlockSize();
  void SetPointerTag(std::uint16_t tag, std::uint8_t dir, std::uint32_t value);
  // Lays out and writes directories 0 to 3 at the stream's position; TiffOrigin
  // must hold the stream position of the TIFF header. With `link_next` the
  // next-IFD offset of directory 0 points right after the block.
  void WriteToStream(TStream& stream, bool link_next);

 private:
  TExifInfo* owner_;
  std::deque<TEntryItem> items_;
};

}  // namespace plendo::exif
