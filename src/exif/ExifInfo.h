#pragma once
// The EXIF component: finds the APP1 segment of a JPEG file, parses the TIFF
// structure in it into two entry lists, offers the lookups and edits the
// resize engine needs, and writes the block (with a fresh thumbnail) into
// another JPEG file.
//
// APP1 segment as read and written:
//   FF E1, length (big-endian, counts itself), "Exif" 00 00,
//   TIFF header: "II" or "MM", 42, offset of IFD0; every later offset counts
//   from the first byte of "II"/"MM".
//
// Every offset and count in a file is untrusted: values must lie inside the
// file and the whole parse may not take more than the file's size in entries
// and values, or it fails with code -5.
#include <cstdint>
#include <filesystem>
#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "exif/EntryItems.h"
#include "exif/ExifError.h"
#include "exif/Stream.h"

namespace plendo::exif {

inline constexpr std::uint16_t kTagCompression = 0x0103;
inline constexpr std::uint16_t kTagArtist = 0x013B;

// True when no byte of `text` can be part of a double-byte character: every
// byte is below 0x80.
bool IsSingleByteText(std::string_view text);

class TExifInfo {
 public:
  // Called before an error is raised; clearing `allow_error` suppresses it
  // and lets the operation go on with an empty or zero result.
  using ErrorEvent = std::function<void(TExifInfo& sender, int code, bool& allow_error)>;
  using NotifyEvent = std::function<void(TExifInfo& sender)>;

  TExifInfo();
  ~TExifInfo();
  TExifInfo(const TExifInfo&) = delete;
  TExifInfo& operator=(const TExifInfo&) = delete;

  ErrorEvent OnError;
  NotifyEvent OnUpdate;
  TExifRational Rational;

  // --- state of the last load ---
  std::int64_t ExifPosition() const { return exif_position_; }
  std::uint16_t ByteOrder() const { return byte_order_; }
  std::int64_t TiffOrigin() const { return tiff_origin_; }
  std::uint32_t FrameWidth() const { return frame_width_; }
  std::uint32_t FrameHeight() const { return frame_height_; }
  TEntryItems& MainEntries() { return main_entries_; }
  TEntryItems& ThumbnailEntries() { return thumbnail_entries_; }

  const std::filesystem::path& ImageFileName() const { return image_file_name_; }
  // Loads the file's EXIF block into the lists; an empty path changes nothing
  // else. Raises EExifError through DoError (-1 missing, -2 no APP1 segment,
  // -5 damaged block); EFOpenError when the file cannot be opened.
  void SetImageFileName(const std::filesystem::path& value);

  // The same for a file already read into memory: `file` is its whole
  // content and `name` is only remembered. One read of a source serves the
  // probe, the load and its decoding.
  void LoadFromBytes(const std::filesystem::path& name, std::span<const std::uint8_t> file);

  int SearchBytes() const { return search_bytes_; }
  void SetSearchBytes(int value) { search_bytes_ = value < 0 ? 0 : value; }

  // --- probing ---
  bool HasExif(const std::filesystem::path& file_name);
  bool HasExif(std::span<const std::uint8_t> file);
  std::int64_t GetExifPosition(const std::filesystem::path& file_name);
  std::int64_t FindExifPosition(TStream& stream);
  void ReadFrameSize(TStream& stream);
  bool ReadExifData(TStream& stream);

  std::uint32_t GetExifIfdOffset() const;
  std::uint32_t GetGpsIfdOffset() const;
  std::uint32_t GetInteropIfdOffset() const;
  std::uint32_t GetThumbExifIfdOffset() const;
  std::uint32_t GetThumbInteropIfdOffset() const;

  // --- lookups and edits ---
  std::string GetAsciiTag(std::uint16_t tag, std::uint8_t dir, bool raise_if_missing);
  std::string GetArtist();
  void SetArtist(std::string_view text);
  std::uint16_t GetThumbnailCompression();

  void DoError(int code);
  void DoUpdate();

  // --- edits for the output (ExifEdits.cpp) ---
  // Makes the block tell the output's pixel size: PixelXDimension and
  // PixelYDimension of the Exif directory, and ImageWidth and ImageLength of
  // IFD0 where the block has them. A SHORT stays a SHORT when the size fits.
  void SetPixelSize(std::uint32_t width, std::uint32_t height);
  // Drops every trace of where the picture was taken that the block holds:
  // the GPS directory with its pointer. Every other entry stays.
  void RemoveLocation();
  // Orientation (IFD0) set to `value` where the block has one.
  void SetOrientation(std::uint16_t value);

  // --- writing (ExifWriter.cpp) ---
  // Puts the block held in memory into the existing JPEG file `file_name`,
  // replacing its APP1 segment or placing one right after FF D8. False when
  // the file does not exist (nothing is created). The file is replaced in one
  // step; on any error it is left as it was.
  bool WriteExifTo(const std::filesystem::path& file_name, bool with_thumbnail);
  // The same on a JPEG file held in memory: returns the new file's bytes.
  // Raises as WriteExifTo does; `jpeg` is not changed.
  std::vector<std::uint8_t> InsertExifInto(std::span<const std::uint8_t> jpeg, bool with_thumbnail);
  // The block as other containers keep it: the TIFF data from "II"/"MM" on,
  // laid out as InsertExifInto lays it out, without a thumbnail (only a JPEG
  // keeps one). Raises EExifError when no block is loaded.
  std::vector<std::uint8_t> TiffBlock();
  // Decodes the JPEG file in `stream` and returns a thumbnail of it (at most
  // 160 x 120, never enlarged) encoded as a baseline JPEG of quality 90.
  std::vector<std::uint8_t> MakeThumbnail(TStream& stream);

 private:
  void LoadFrom(TStream& stream);
  void SkipExifIdentifier(TStream& stream);
  std::uint32_t ReadTiffHeader(TStream& stream);
  std::uint32_t ReadDirectory(TEntryItems& list, TStream& stream, std::uint8_t dir, ExifReadLimits& limits);
  void SeekToIfd(TStream& stream, std::uint32_t offset, const ExifReadLimits& limits);
  std::uint32_t PointerValue(const TEntryItems& list, std::uint16_t tag, std::uint8_t dir) const;

  std::int64_t exif_position_ = -1;
  std::uint16_t byte_order_ = 0;
  TEntryItems main_entries_{this};
  std::filesystem::path image_file_name_;
  std::uint32_t frame_height_ = 0;
  std::uint32_t frame_width_ = 0;
  std::int64_t tiff_origin_ = 0;
  int search_bytes_ = 16;
  TEntryItems thumbnail_entries_{this};
  bool destroying_ = false;
};

}  // namespace plendo::exif
