#include "exif/ExifInfo.h"

#include "exif/ByteOrder.h"
#include "exif/WideFileStream.h"

namespace plendo::exif {
namespace {

constexpr std::uint16_t kStartOfImage = 0xFFD8;
constexpr std::uint16_t kApp1 = 0xFFE1;
// An APP1 segment holds at most 65533 bytes, so the identifier is found well
// before this or not at all.
constexpr int kMaxIdentifierScan = 0x10000;

bool IsStartOfFrame(std::uint16_t marker) {
  switch (marker) {
    case 0xFFC0: case 0xFFC1: case 0xFFC2: case 0xFFC3:
    case 0xFFC5: case 0xFFC6: case 0xFFC7:
    case 0xFFC9: case 0xFFCA: case 0xFFCB:
    case 0xFFCD: case 0xFFCE: case 0xFFCF:
      return true;
    default:
      return false;
  }
}

}  // namespace

bool IsSingleByteText(std::string_view text) {
  for (const char c : text)
    if (static_cast<unsigned char>(c) >= 0x80) return false;
  return true;
}

TExifInfo::TExifInfo() = default;

TExifInfo::~TExifInfo() { destroying_ = true; }

bool TExifInfo::HasExif(const std::filesystem::path& file_name) { return GetExifPosition(file_name) > 0; }

bool TExifInfo::HasExif(std::span<const std::uint8_t> file) {
  TByteViewStream stream(file.data(), file.size());
  return FindExifPosition(stream) > 0;
}

std::int64_t TExifInfo::GetExifPosition(const std::filesystem::path& file_name) {
  TWideFileStream stream(file_name, fmOpenRead);
  stream.SetPosition(0);
  return FindExifPosition(stream);
}

// From FF D8, either walk the segments (when an APPn segment comes first) up
// to FF E1, or scan at most SearchBytes + 1 bytes for the pair FF E1. Any
// read failure means "not found".
std::int64_t TExifInfo::FindExifPosition(TStream& stream) {
  std::int64_t result = -1;
  const std::int64_t saved = stream.Position();
  try {
    if (ReadWord(stream, kBigEndian) == kStartOfImage) {
      std::uint16_t word = ReadWord(stream, kBigEndian);
      if (word >= 0xFFE0 && word <= 0xFFEF) {
        for (;;) {
          if (word == kApp1) {
            result = stream.Position() - 2;
            break;
          }
          if ((word >> 8) != 0xFF) break;
          const std::uint16_t length = ReadWord(stream, kBigEndian);
          if (length < 2) break;  // would step back onto itself
          stream.Seek(length - 2, SeekOrigin::Current);
          word = ReadWord(stream, kBigEndian);
        }
      } else {
        for (int counter = 0;;) {
          const std::uint8_t byte = stream.ReadByte();
          ++counter;
          if (byte == 0xFF) {
            if (stream.ReadByte() == 0xE1) {
              result = stream.Position() - 2;
              break;
            }
            stream.Seek(-1, SeekOrigin::Current);
          }
          if (counter > search_bytes_) break;
        }
      }
    }
  } catch (...) {
    result = -1;
  }
  stream.SetPosition(saved);
  return result;
}

// The size from the first start-of-frame marker. A damaged file (a read past
// the end, a segment length below 2) leaves the size at 0 x 0.
void TExifInfo::ReadFrameSize(TStream& stream) {
  frame_height_ = 0;
  frame_width_ = 0;
  const std::int64_t saved = stream.Position();
  try {
    stream.SetPosition(0);
    if (ReadWord(stream, kBigEndian) == kStartOfImage) {
      for (;;) {
        const std::uint16_t marker = ReadWord(stream, kBigEndian);
        const std::uint16_t length = ReadWord(stream, kBigEndian);
        if (IsStartOfFrame(marker)) {
          stream.Seek(1, SeekOrigin::Current);  // sample precision
          const std::uint16_t height = ReadWord(stream, kBigEndian);
          const std::uint16_t width = ReadWord(stream, kBigEndian);
          frame_height_ = height;
          frame_width_ = width;
          break;
        }
        if (length < 2) break;
        stream.Seek(length - 2, SeekOrigin::Current);
      }
    }
  } catch (const EStreamError&) {
  }
  stream.SetPosition(saved);
}

void TExifInfo::SetImageFileName(const std::filesystem::path& value) {
  image_file_name_ = value;
  if (value.empty()) return;
  main_entries_.Clear();
  thumbnail_entries_.Clear();
  if (!WideFileExists(value)) {
    frame_height_ = 0;
    frame_width_ = 0;
    DoUpdate();
    DoError(kExifFileNotFound);
    return;
  }
  TWideFileStream stream(value, fmOpenRead);
  LoadFrom(stream);
}

void TExifInfo::LoadFromBytes(const std::filesystem::path& name, std::span<const std::uint8_t> file) {
  image_file_name_ = name;
  main_entries_.Clear();
  thumbnail_entries_.Clear();
  TByteViewStream stream(file.data(), file.size());
  LoadFrom(stream);
}

void TExifInfo::LoadFrom(TStream& stream) {
  ReadFrameSize(stream);
  exif_position_ = FindExifPosition(stream);
  if (exif_position_ == -1) {
    DoError(kExifNotExif);
  } else if (!ReadExifData(stream)) {
    DoError(kExifBadStream);
  }
}

bool TExifInfo::ReadExifData(TStream& stream) {
  try {
    const std::int64_t size = stream.Size();
    ExifReadLimits limits{size, static_cast<std::uint64_t>(size)};
    stream.SetPosition(exif_position_);
    stream.Seek(2, SeekOrigin::Current);
    SkipExifIdentifier(stream);
    tiff_origin_ = stream.Position();
    main_entries_.TiffOrigin = tiff_origin_;
    thumbnail_entries_.TiffOrigin = tiff_origin_;

    SeekToIfd(stream, ReadTiffHeader(stream), limits);
    const std::uint32_t next = ReadDirectory(main_entries_, stream, 0, limits);
    if (const std::uint32_t at = GetExifIfdOffset(); at != 0) {
      SeekToIfd(stream, at, limits);
      ReadDirectory(main_entries_, stream, 1, limits);
    }
    if (const std::uint32_t at = GetGpsIfdOffset(); at != 0) {
      SeekToIfd(stream, at, limits);
      ReadDirectory(main_entries_, stream, 2, limits);
    }
    if (const std::uint32_t at = GetInteropIfdOffset(); at != 0) {
      SeekToIfd(stream, at, limits);
      ReadDirectory(main_entries_, stream, 3, limits);
    }
    // Only IFD0's next offset is followed, and every pointer once: no loops.
    if (next != 0) {
      SeekToIfd(stream, next, limits);
      ReadDirectory(thumbnail_entries_, stream, 0, limits);
      if (const std::uint32_t at = GetThumbExifIfdOffset(); at != 0) {
        SeekToIfd(stream, at, limits);
        ReadDirectory(thumbnail_entries_, stream, 1, limits);
      }
      if (const std::uint32_t at = GetThumbInteropIfdOffset(); at != 0) {
        SeekToIfd(stream, at, limits);
        ReadDirectory(thumbnail_entries_, stream, 3, limits);
      }
    }
  } catch (...) {
    return false;
  }
  DoUpdate();
  return true;
}

// Passes over the length word and "Exif" 00 00: stops on the first non-zero
// byte after at least two zero bytes, the first byte of "II" or "MM".
void TExifInfo::SkipExifIdentifier(TStream& stream) {
  int zeros = 0;
  for (int n = 0;; ++n) {
    Enforce(n < kMaxIdentifierScan);
    const std::uint8_t byte = stream.ReadByte();
    if (byte == 0) {
      ++zeros;
    } else if (zeros >= 2) {
      break;
    }
  }
  stream.Seek(-1, SeekOrigin::Current);
}

// "II" or "MM", 42 (not checked), offset of IFD0.
std::uint32_t TExifInfo::ReadTiffHeader(TStream& stream) {
  std::uint8_t mark[2];
  stream.ReadBuffer(mark, 2);
  byte_order_ = static_cast<std::uint16_t>(mark[0] | (mark[1] << 8));
  Enforce(byte_order_ == kLittleEndian || byte_order_ == kBigEndian);
  stream.Seek(2, SeekOrigin::Current);
  return ReadDWord(stream, byte_order_);
}

void TExifInfo::SeekToIfd(TStream& stream, std::uint32_t offset, const ExifReadLimits& limits) {
  const auto start = static_cast<std::uint64_t>(tiff_origin_) + offset;
  Enforce(start <= static_cast<std::uint64_t>(limits.stream_size));
  stream.SetPosition(static_cast<std::int64_t>(start));
}

// One directory: entry count N, N entries of 12 bytes, next-IFD offset.
std::uint32_t TExifInfo::ReadDirectory(TEntryItems& list, TStream& stream, std::uint8_t dir,
                                       ExifReadLimits& limits) {
  const auto at = static_cast<std::uint64_t>(stream.Position());
  const std::uint16_t count = ReadWord(stream, byte_order_);
  const std::uint64_t bytes = 2 + 12 * std::uint64_t{count} + 4;
  const auto size = static_cast<std::uint64_t>(limits.stream_size);
  Enforce(at <= size && bytes <= size - at);
  for (std::uint16_t i = 0; i < count; ++i) {
    TEntryItem item(&list);
    item.Directory = dir;
    if (item.ReadFromStream(stream, limits)) list.Append(std::move(item));
  }
  return ReadDWord(stream, byte_order_);
}

std::uint32_t TExifInfo::PointerValue(const TEntryItems& list, std::uint16_t tag, std::uint8_t dir) const {
  const int index = list.IndexOfTag(tag, dir);
  return index < 0 ? 0 : list[index].GetAsLong(0);
}

std::uint32_t TExifInfo::GetExifIfdOffset() const { return PointerValue(main_entries_, kTagExifIfdPointer, 0); }
std::uint32_t TExifInfo::GetGpsIfdOffset() const { return PointerValue(main_entries_, kTagGpsIfdPointer, 0); }
std::uint32_t TExifInfo::GetInteropIfdOffset() const { return PointerValue(main_entries_, kTagInteropIfdPointer, 1); }
std::uint32_t TExifInfo::GetThumbExifIfdOffset() const {
  return PointerValue(thumbnail_entries_, kTagExifIfdPointer, 0);
}
std::uint32_t TExifInfo::GetThumbInteropIfdOffset() const {
  return PointerValue(thumbnail_entries_, kTagInteropIfdPointer, 1);
}

std::string TExifInfo::GetAsciiTag(std::uint16_t tag, std::uint8_t dir, bool raise_if_missing) {
  const int index = main_entries_.IndexOfTag(tag, dir);
  if (index >= 0) return main_entries_[index].GetAsString();
  if (raise_if_missing) DoError(kExifTagNotFound);
  return {};
}

std::string TExifInfo::GetArtist() { return GetAsciiTag(kTagArtist, 0, false); }

void TExifInfo::SetArtist(std::string_view text) {
  if (!IsSingleByteText(text)) {
    DoError(kExifNotAscii);
    return;
  }
  main_entries_.SetAsciiTag(kTagArtist, 0, text);
}

std::uint16_t TExifInfo::GetThumbnailCompression() {
  const int index = thumbnail_entries_.IndexOfTag(kTagCompression, 0);
  if (index < 0) {
    DoError(kExifTagNotFound);
    return 0;
  }
  return thumbnail_entries_[index].GetAsShort(0);
}

void TExifInfo::DoError(int code) {
  bool allow_error = true;
  if (OnError) OnError(*this, code, allow_error);
  if (allow_error) throw EExifError(code);
}

void TExifInfo::DoUpdate() {
  if (OnUpdate && !destroying_) OnUpdate(*this);
}

}  // namespace plendo::exif
