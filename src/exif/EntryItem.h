#pragma once
// One directory entry of an EXIF block, with its values held in machine
// order. In the file an entry is 12 bytes:
//
//   0  2  tag
//   2  2  data type (1..12)
//   4  4  count of components
//   8  4  the data itself when it takes 4 bytes or less (padded with zeros),
//         else its offset from the TIFF header
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "exif/Stream.h"

namespace plendo::exif {

class TEntryItems;
class TExifInfo;

enum ExifDataType : std::uint8_t {
  kTypeByte = 1, kTypeAscii = 2, kTypeShort = 3, kTypeLong = 4, kTypeRational = 5, kTypeSByte = 6,
  kTypeUndefined = 7, kTypeSShort = 8, kTypeSLong = 9, kTypeSRational = 10, kTypeFloat = 11, kTypeDouble = 12,
};

// Bytes per component of a data type; 0 for type 0 and anything above 12.
int TypeSize(unsigned data_type);

inline constexpr std::uint16_t kTagUserComment = 0x9286;

// What a parse may still spend: the stream's size bounds every offset and
// count, and `budget` (the stream's size at the start) is charged for every
// entry and every value read outside an entry, so that overlapping or
// repeated directories in a hostile file cannot make the reader allocate
// more than the file itself holds.
struct ExifReadLimits {
  std::int64_t stream_size = 0;
  std::uint64_t budget = 0;
  void Charge(std::uint64_t bytes);
};

struct TExifRational {
  std::uint32_t Numerator = 0;
  std::uint32_t Denominator = 0;
  friend bool operator==(const TExifRational&, const TExifRational&) = default;
};

class TEntryItem {
 public:
  explicit TEntryItem(TEntryItems* collection = nullptr) : collection_(collection) {}

  std::uint32_t ValueOffset = 0;     // set by the writer's layout pass; 0 inside the entry
  std::uint32_t ComponentCount = 0;  // as read; recomputed by GetEntrySize
  std::uint8_t DataType = 0;
  std::uint8_t Directory = 0;
  std::uint32_t SourceOffset = 0;    // value offset as read; 0 inside the entry
  std::uint32_t EntryOffset = 0;     // set by the writer's layout pass
  std::uint16_t Tag = 0;

  // Number of value blocks: one per component, one for ASCII and UNDEFINED.
  std::uint32_t ValueCount() const { return value_count_; }

  // Copies everything but the collection the entry belongs to.
  void Assign(const TEntryItem& source);

  // Reads the 12-byte entry at the stream's position and its values, leaving
  // the stream after the entry. Returns false (values empty) for a data type
  // of 0 or above 12, which has no value layout. Raises on a short read and
  // EExifDamaged for values outside the stream or past the limits.
  bool ReadFromStream(TStream& stream, ExifReadLimits& limits);
  // Reads `size` bytes of values at the stream's position.
  void ReadValues(TStream& stream, std::uint32_t size);

  std::string GetAsString() const;
  std::uint32_t GetAsLong(std::uint32_t index) const;
  std::uint16_t GetAsShort(std::uint32_t index) const;
  TExifRational GetAsRational(std::uint32_t index) const;  // RATIONAL and SRATIONAL
  double GetAsDouble(std::uint32_t index) const;            // DOUBLE
  // The values in machine order (the bytes of an UNDEFINED value, the text
  // of an ASCII one).
  const std::vector<std::uint8_t>& RawValues() const { return data_; }

  void SetAsString(std::string_view text);
  // Makes the entry a LONG (with index + 1 zero values) unless it is one,
  // then sets value `index`.
  void SetAsLong(std::uint32_t index, std::uint32_t value);
  // Makes the entry a SHORT with this one value.
  void SetAsShort(std::uint16_t value);
  void SetAsUndefined(std::vector<std::uint8_t> bytes);
  void ClearValues();
  void DeleteValue(std::uint32_t index);

  TExifInfo* GetExifInfo() const;
  // The block's byte order; "II" when the entry belongs to no component.
  std::uint16_t ByteOrder() const;

  // Recomputes ComponentCount from the values held, then returns 12 plus the
  // data bytes when they exceed 4, else 12.
  std::uint32_t GetEntrySize();
  void WriteEntry(TStream& stream);
  std::uint32_t WriteValues(TStream& stream, std::uint16_t order) const;

 private:
  friend class TEntryItems;
  std::uint32_t DataBytes() const;

  TEntryItems* collection_;
  std::uint32_t value_count_ = 0;
  std::vector<std::uint8_t> data_;
};

}  // namespace plendo::exif
