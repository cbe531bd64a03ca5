// TExifInfo's writer: puts the loaded (and edited) block into another JPEG.
//
// The segment written, offsets from FF of the marker:
//   0   FF E1
//   2   L, big-endian: bytes from offset 2 to the end of the segment
//   4   "Exif" 00 00
//   10  "II" or "MM" (as loaded), 42, 8     <- origin of every IFD offset
//   18  main block: directories 0..3 of the main list
//   ..  with a thumbnail: IFD1 block, then the thumbnail JPEG (FF D8 .. FF D9)
#include <cstring>

#include "exif/ByteOrder.h"
#include "exif/ExifInfo.h"
#include "exif/ExifThumbnail.h"
#include "exif/FileReplace.h"
#include "exif/WideFileStream.h"
#include "codecs/JpegEncoder.h"

namespace plendo::exif {
namespace {

// The length field is 16 bits and counts itself.
constexpr std::uint64_t kMaxSegmentLength = 0xFFFF;
// The length field, "Exif" 00 00 and the TIFF header.
constexpr std::uint64_t kSegmentHeader = 16;
constexpr int kThumbnailQuality = 90;

// Where the target's own bytes go around the new segment: [2, before_end)
// before it, [rest_begin, end) after it.
struct TargetSplit {
  std::size_t before_end = 2;
  std::size_t rest_begin = 2;
};

TargetSplit SplitTarget(std::span<const std::uint8_t> target, std::int64_t app1) {
  TargetSplit split;
  if (app1 >= 2) {
    // The old APP1 segment is dropped: marker, length L0, L0 - 2 bytes.
    const auto at = static_cast<std::size_t>(app1);
    if (at > target.size() || target.size() - at < 4) throw EExifError(kExifBadStream);
    const std::size_t length = (std::size_t{target[at + 2]} << 8) | target[at + 3];
    if (length < 2 || length > target.size() - at - 2) throw EExifError(kExifBadStream);
    split.before_end = at;
    split.rest_begin = at + 2 + length;
  } else if (target.size() < 2 || target[0] != 0xFF || target[1] != 0xD8) {
    throw EExifError::WithText(kNotAnImageText);
  }
  return split;
}

// IFD1 carries the thumbnail's offset (set by the layout) and length.
void PrepareThumbnailEntries(TEntryItems& list, std::uint32_t thumbnail_size) {
  int index = list.IndexOfTag(kTagJpegInterchangeFormatLength, 0);
  TEntryItem& length = index >= 0 ? list[index] : list.AddTag(kTagJpegInterchangeFormatLength);
  length.ClearValues();
  length.SetAsLong(0, thumbnail_size);
  if (list.IndexOfTag(kTagJpegInterchangeFormat, 0) < 0) list.AddTag(kTagJpegInterchangeFormat).SetAsLong(0, 0);
  list.PrepareForWrite();
}

}  // namespace

std::vector<std::uint8_t> TExifInfo::MakeThumbnail(TStream& stream) {
  stream.SetPosition(0);
  std::vector<std::uint8_t> jpeg(static_cast<std::size_t>(stream.Size()));
  stream.ReadBuffer(jpeg.data(), jpeg.size());
  const platform::Bitmap thumbnail = DecodeJpegThumbnail(jpeg.data(), jpeg.size());
  return codecs::EncodeJpeg(thumbnail, {kThumbnailQuality, false});
}

bool TExifInfo::WriteExifTo(const std::filesystem::path& file_name, bool with_thumbnail) {
  if (!WideFileExists(file_name)) return false;
  // Every read of the target is done on this copy; the file itself is only
  // touched by the final replace.
  const std::vector<std::uint8_t> out = InsertExifInto(ReadFileContents(file_name), with_thumbnail);
  ReplaceFileContents(file_name, out.data(), out.size());
  return true;
}

std::vector<std::uint8_t> TExifInfo::InsertExifInto(std::span<const std::uint8_t> bytes, bool with_thumbnail) {
  if (byte_order_ != kLittleEndian && byte_order_ != kBigEndian) throw EExifError(kExifBadStream);
  TByteViewStream target(bytes.data(), bytes.size());
  const TargetSplit split = SplitTarget(bytes, FindExifPosition(target));

  std::vector<std::uint8_t> thumbnail;
  if (with_thumbnail) {
    try {
      thumbnail = codecs::EncodeJpeg(DecodeJpegThumbnail(bytes.data(), bytes.size()), {kThumbnailQuality, false});
    } catch (...) {
      thumbnail.clear();
    }
    with_thumbnail = !thumbnail.empty();
  }

  main_entries_.PrepareForWrite();
  const std::uint64_t main_size = main_entries_.GetBlockSize();
  if (kSegmentHeader + main_size > kMaxSegmentLength) throw EExifError::WithText(kBlockTooLargeText);
  std::uint64_t length = kSegmentHeader + main_size;
  if (with_thumbnail) {
    PrepareThumbnailEntries(thumbnail_entries_, static_cast<std::uint32_t>(thumbnail.size()));
    const std::uint64_t with = length + thumbnail_entries_.GetBlockSize() + thumbnail.size();
    if (with <= kMaxSegmentLength) {
      length = with;
    } else {
      with_thumbnail = false;  // the block goes without its thumbnail
    }
  }

  TMemoryStream out;
  static constexpr std::uint8_t kStart[] = {0xFF, 0xD8};
  static constexpr std::uint8_t kApp1[] = {0xFF, 0xE1};
  static constexpr std::uint8_t kIdentifier[] = {'E', 'x', 'i', 'f', 0, 0};
  out.WriteBuffer(kStart, 2);
  out.WriteBuffer(bytes.data() + 2, split.before_end - 2);
  out.WriteBuffer(kApp1, 2);
  const std::int64_t length_at = out.Position();
  WriteWord(out, static_cast<std::uint16_t>(length), kBigEndian);
  out.WriteBuffer(kIdentifier, sizeof kIdentifier);
  main_entries_.TiffOrigin = out.Position();
  thumbnail_entries_.TiffOrigin = out.Position();
  WriteWord(out, byte_order_, byte_order_);
  WriteWord(out, 42, byte_order_);
  WriteDWord(out, 8, byte_order_);
  main_entries_.WriteToStream(out, with_thumbnail);
  if (with_thumbnail) {
    thumbnail_entries_.WriteToStream(out, false);
    out.WriteBuffer(thumbnail.data(), thumbnail.size());
  }
  if (static_cast<std::uint64_t>(out.Position() - length_at) != length) throw EExifError(kExifBadStream);
  out.WriteBuffer(bytes.data() + split.rest_begin, bytes.size() - split.rest_begin);
  return out.TakeBytes();
}

std::vector<std::uint8_t> TExifInfo::TiffBlock() {
  if (byte_order_ != kLittleEndian && byte_order_ != kBigEndian) throw EExifError(kExifBadStream);
  main_entries_.PrepareForWrite();
  TMemoryStream out;
  main_entries_.TiffOrigin = 0;
  WriteWord(out, byte_order_, byte_order_);
  WriteWord(out, 42, byte_order_);
  WriteDWord(out, 8, byte_order_);
  main_entries_.WriteToStream(out, false);
  return out.TakeBytes();
}

}  // namespace plendo::exif
