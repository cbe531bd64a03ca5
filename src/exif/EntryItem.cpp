#include "exif/EntryItem.h"

#include <algorithm>
#include <cstring>

#include "exif/ByteOrder.h"
#include "exif/EntryItems.h"
#include "exif/ExifError.h"
#include "exif/ExifInfo.h"

namespace plendo::exif {
namespace {

constexpr int kTypeSizes[13] = {0, 1, 1, 2, 4, 8, 1, 1, 2, 4, 8, 4, 8};

// The numbers of a value are 1, 2, 4 or 8 bytes wide; a rational is two
// 4-byte numbers.
int UnitSize(std::uint8_t data_type) {
  return data_type == kTypeRational || data_type == kTypeSRational ? 4 : TypeSize(data_type);
}

std::uint64_t LoadUnit(const std::uint8_t* p, int size, bool little) {
  std::uint64_t value = 0;
  for (int i = 0; i < size; ++i) value = (value << 8) | p[little ? size - 1 - i : i];
  return value;
}

void StoreMachine(std::uint8_t* dst, std::uint64_t value, int size) {
  switch (size) {
    case 1: *dst = static_cast<std::uint8_t>(value); break;
    case 2: { const auto v = static_cast<std::uint16_t>(value); std::memcpy(dst, &v, 2); break; }
    case 4: { const auto v = static_cast<std::uint32_t>(value); std::memcpy(dst, &v, 4); break; }
    default: std::memcpy(dst, &value, 8); break;
  }
}

template <typename T>
T LoadMachine(const std::vector<std::uint8_t>& data, std::size_t offset) {
  T value{};
  std::memcpy(&value, data.data() + offset, sizeof(T));
  return value;
}

}  // namespace

int TypeSize(unsigned data_type) { return data_type <= 12 ? kTypeSizes[data_type] : 0; }

void ExifReadLimits::Charge(std::uint64_t bytes) {
  Enforce(bytes <= budget);
  budget -= bytes;
}

void TEntryItem::Assign(const TEntryItem& source) {
  if (&source == this) return;
  ValueOffset = source.ValueOffset;
  value_count_ = source.value_count_;
  data_ = source.data_;
  ComponentCount = source.ComponentCount;
  DataType = source.DataType;
  Directory = source.Directory;
  SourceOffset = source.SourceOffset;
  EntryOffset = source.EntryOffset;
  Tag = source.Tag;
}

bool TEntryItem::ReadFromStream(TStream& stream, ExifReadLimits& limits) {
  const std::uint16_t order = ByteOrder();
  limits.Charge(12);
  Tag = ReadWord(stream, order);
  const std::uint16_t type_word = ReadWord(stream, order);
  ComponentCount = ReadDWord(stream, order);
  const std::int64_t field = stream.Position();
  ClearValues();
  if (type_word == 0 || type_word > 12) {
    // No value layout: the entry is dropped, its 12 bytes passed over.
    DataType = 0;
    stream.SetPosition(field + 4);
    return false;
  }
  DataType = static_cast<std::uint8_t>(type_word);
  const std::uint64_t size = static_cast<std::uint64_t>(TypeSize(DataType)) * ComponentCount;
  if (size <= 4) {
    SourceOffset = 0;
    ReadValues(stream, static_cast<std::uint32_t>(size));
  } else {
    SourceOffset = ReadDWord(stream, order);
    const std::int64_t origin = collection_ ? collection_->TiffOrigin : 0;
    Enforce(origin >= 0 && origin <= limits.stream_size);
    const auto start = static_cast<std::uint64_t>(origin) + SourceOffset;
    const auto stream_size = static_cast<std::uint64_t>(limits.stream_size);
    Enforce(start <= stream_size && size <= stream_size - start);
    limits.Charge(size);
    stream.SetPosition(static_cast<std::int64_t>(start));
    ReadValues(stream, static_cast<std::uint32_t>(size));
  }
  stream.SetPosition(field + 4);
  return true;
}

void TEntryItem::ReadValues(TStream& stream, std::uint32_t size) {
  std::vector<std::uint8_t> raw(size);
  stream.ReadBuffer(raw.data(), raw.size());
  ClearValues();
  switch (DataType) {
    case kTypeAscii:
      if (Tag == kTagUserComment && Directory == 1) {
        // A user comment stored as ASCII is held as the raw bytes it is.
        DataType = kTypeUndefined;
        data_ = std::move(raw);
        value_count_ = 1;
      } else if (ComponentCount > 0) {
        data_.assign(raw.begin(), std::find(raw.begin(), raw.end(), std::uint8_t{0}));
        value_count_ = 1;
      }
      return;
    case kTypeUndefined:
      data_ = std::move(raw);
      value_count_ = 1;
      return;
    default: break;
  }
  const int unit = UnitSize(DataType);
  if (unit == 0) return;
  const bool little = ByteOrder() == kLittleEndian;
  for (std::size_t i = 0; i + static_cast<std::size_t>(unit) <= raw.size(); i += static_cast<std::size_t>(unit))
    StoreMachine(raw.data() + i, LoadUnit(raw.data() + i, unit, little), unit);
  // One value per whole component actually read, whatever the count said.
  value_count_ = static_cast<std::uint32_t>(raw.size() / static_cast<std::size_t>(TypeSize(DataType)));
  data_ = std::move(raw);
  data_.resize(std::size_t{value_count_} * static_cast<std::size_t>(TypeSize(DataType)));
}

std::string TEntryItem::GetAsString() const {
  if (DataType != kTypeAscii || value_count_ == 0) return {};
  return std::string(data_.begin(), data_.end());
}

std::uint32_t TEntryItem::GetAsLong(std::uint32_t index) const {
  if (DataType != kTypeLong || index >= value_count_) return 0;
  return LoadMachine<std::uint32_t>(data_, std::size_t{index} * 4);
}

std::uint16_t TEntryItem::GetAsShort(std::uint32_t index) const {
  if (DataType != kTypeShort || index >= value_count_) return 0;
  return LoadMachine<std::uint16_t>(data_, std::size_t{index} * 2);
}

TExifRational TEntryItem::GetAsRational(std::uint32_t index) const {
  if ((DataType != kTypeRational && DataType != kTypeSRational) || index >= value_count_) return {};
  return {LoadMachine<std::uint32_t>(data_, std::size_t{index} * 8),
          LoadMachine<std::uint32_t>(data_, std::size_t{index} * 8 + 4)};
}

double TEntryItem::GetAsDouble(std::uint32_t index) const {
  if (DataType != kTypeDouble || index >= value_count_) return 0.0;
  return LoadMachine<double>(data_, std::size_t{index} * 8);
}

void TEntryItem::SetAsString(std::string_view text) {
  ClearValues();
  DataType = kTypeAscii;
  data_.assign(text.begin(), std::find(text.begin(), text.end(), '\0'));
  value_count_ = 1;
}

void TEntryItem::SetAsLong(std::uint32_t index, std::uint32_t value) {
  if (DataType != kTypeLong) {
    ClearValues();
    DataType = kTypeLong;
  }
  if (index >= value_count_) {
    data_.resize((std::size_t{index} + 1) * 4, 0);
    value_count_ = index + 1;
  }
  std::memcpy(data_.data() + std::size_t{index} * 4, &value, 4);
}

void TEntryItem::SetAsShort(std::uint16_t value) {
  ClearValues();
  DataType = kTypeShort;
  data_.resize(2);
  std::memcpy(data_.data(), &value, 2);
  value_count_ = 1;
}

void TEntryItem::SetAsUndefined(std::vector<std::uint8_t> bytes) {
  ClearValues();
  DataType = kTypeUndefined;
  data_ = std::move(bytes);
  value_count_ = 1;
}

void TEntryItem::ClearValues() {
  data_.clear();
  data_.shrink_to_fit();
  value_count_ = 0;
}

void TEntryItem::DeleteValue(std::uint32_t index) {
  if (index >= value_count_) return;
  if (DataType == kTypeAscii || DataType == kTypeUndefined) {
    ClearValues();
    return;
  }
  const auto size = static_cast<std::size_t>(TypeSize(DataType));
  const auto at = data_.begin() + static_cast<std::ptrdiff_t>(index * size);
  data_.erase(at, at + static_cast<std::ptrdiff_t>(size));
  value_count_ -= 1;
}

TExifInfo* TEntryItem::GetExifInfo() const { return collection_ ? collection_->Owner() : nullptr; }

std::uint16_t TEntryItem::ByteOrder() const {
  const TExifInfo* info = GetExifInfo();
  return info ? info->ByteOrder() : kLittleEndian;
}

std::uint32_t TEntryItem::DataBytes() const {
  const int size = TypeSize(DataType);
  return ComponentCount * static_cast<std::uint32_t>(size == 0 ? 8 : size);
}

std::uint32_t TEntryItem::GetEntrySize() {
  switch (DataType) {
    case kTypeAscii: ComponentCount = static_cast<std::uint32_t>(GetAsString().size() + 1); break;
    case kTypeUndefined: ComponentCount = static_cast<std::uint32_t>(data_.size()); break;
    default: ComponentCount = value_count_; break;
  }
  const std::uint32_t data = DataBytes();
  return data > 4 ? 12 + data : 12;
}

void TEntryItem::WriteEntry(TStream& stream) {
  const std::uint16_t order = ByteOrder();
  const std::uint32_t size = GetEntrySize();
  WriteWord(stream, Tag, order);
  WriteWord(stream, DataType, order);
  WriteDWord(stream, ComponentCount, order);
  if (size > 12) {
    WriteDWord(stream, ValueOffset, order);
    return;
  }
  static constexpr std::uint8_t kZeros[4] = {};
  const std::uint32_t written = WriteValues(stream, order);
  stream.WriteBuffer(kZeros, 4 - written);
}

std::uint32_t TEntryItem::WriteValues(TStream& stream, std::uint16_t order) const {
  const std::size_t before = static_cast<std::size_t>(stream.Position());
  switch (DataType) {
    case kTypeByte:
    case kTypeSByte:
    case kTypeUndefined:
      stream.WriteBuffer(data_.data(), data_.size());
      break;
    case kTypeAscii: {
      const std::string text = GetAsString();
      stream.WriteBuffer(text.data(), text.size());
      stream.WriteByte(0);
      break;
    }
    case kTypeShort:
    case kTypeSShort:
      for (std::size_t i = 0; i + 2 <= data_.size(); i += 2) WriteWord(stream, LoadMachine<std::uint16_t>(data_, i), order);
      break;
    case kTypeLong:
    case kTypeSLong:
    case kTypeFloat:
    case kTypeRational:
    case kTypeSRational:
      for (std::size_t i = 0; i + 4 <= data_.size(); i += 4) WriteDWord(stream, LoadMachine<std::uint32_t>(data_, i), order);
      break;
    case kTypeDouble:
      for (std::size_t i = 0; i + 8 <= data_.size(); i += 8) WriteDouble(stream, LoadMachine<double>(data_, i), order);
      break;
    default: break;
  }
  return static_cast<std::uint32_t>(static_cast<std::size_t>(stream.Position()) - before);
}

}  // namespace plendo::exif
