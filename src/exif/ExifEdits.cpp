// Edits that make a source's block true of the output it travels with.
#include "exif/ExifInfo.h"

namespace plendo::exif {
namespace {

constexpr std::uint16_t kTagImageWidth = 0x0100;
constexpr std::uint16_t kTagImageLength = 0x0101;
constexpr std::uint16_t kTagOrientation = 0x0112;
constexpr std::uint16_t kTagPixelXDimension = 0xA002;
constexpr std::uint16_t kTagPixelYDimension = 0xA003;
constexpr std::uint8_t kDirIfd0 = 0;
constexpr std::uint8_t kDirExif = 1;
constexpr std::uint8_t kDirGps = 2;

// Either type is allowed for a dimension; a SHORT is kept where it can hold
// the value, so the block changes no more than it must.
void SetDimension(TEntryItems& list, std::uint16_t tag, std::uint8_t dir, std::uint32_t value) {
  const int index = list.IndexOfTag(tag, dir);
  if (index < 0) return;
  TEntryItem& entry = list[index];
  if (entry.DataType == kTypeShort && value <= 0xFFFF) {
    entry.SetAsShort(static_cast<std::uint16_t>(value));
  } else {
    entry.ClearValues();
    entry.DataType = kTypeLong;
    entry.SetAsLong(0, value);
  }
}

}  // namespace

void TExifInfo::SetPixelSize(std::uint32_t width, std::uint32_t height) {
  SetDimension(main_entries_, kTagPixelXDimension, kDirExif, width);
  SetDimension(main_entries_, kTagPixelYDimension, kDirExif, height);
  SetDimension(main_entries_, kTagImageWidth, kDirIfd0, width);
  SetDimension(main_entries_, kTagImageLength, kDirIfd0, height);
}

void TExifInfo::RemoveLocation() {
  for (int i = main_entries_.Count() - 1; i >= 0; --i) {
    const TEntryItem& entry = main_entries_[i];
    if (entry.Directory == kDirGps || (entry.Directory == kDirIfd0 && entry.Tag == kTagGpsIfdPointer))
      main_entries_.Delete(i);
  }
}

void TExifInfo::SetOrientation(std::uint16_t value) {
  const int index = main_entries_.IndexOfTag(kTagOrientation, kDirIfd0);
  if (index >= 0) main_entries_[index].SetAsShort(value);
}

}  // namespace plendo::exif
