#pragma once
// The settings the panel and the engine share, held in memory between program
// start and end. Field names are the keys of the .ENV file; the defaults are
// those of a first start without a file.
#include <cstdint>

namespace plendo::settings {

// Image type index of the type filter. The panel offers 0 to 7; the photo
// formats after them are chosen only by plendo-batch's --type.
enum ImageType : std::int32_t {
  kTypeBmp = 0, kTypeJpeg = 1, kTypeGif = 2, kTypePng = 3,
  kTypeTiff = 4, kTypeWmf = 5, kTypeEmf = 6, kTypeIcon = 7,
  kTypeHeif = 8, kTypeAvif = 9, kTypeWebp = 10, kTypeJxl = 11,
};

// The output's file format; JPEG unless chosen otherwise.
enum OutputFormat : std::int32_t {
  kFormatJpeg = 0, kFormatPng = 1, kFormatWebp = 2, kFormatAvif = 3, kFormatJxl = 4,
};

// The panel's language: Japanese unless chosen otherwise, or the desktop's.
enum LanguageChoice : std::int32_t {
  kLanguageJapanese = 0, kLanguageEnglish = 1, kLanguageDesktop = 2,
};

struct AppSettings {
  std::int32_t XQTMode = 0;        // 0 ALL, 1 EXT
  std::int32_t XQTExt = kTypeJpeg;  // type accepted in EXT mode
  bool XQTDisp = false;            // disable the button containers, not the buttons
  std::int32_t JPEGExt = 0;        // 0 .jpg, 1 .jpeg, 2 .JPG, 3 .JPEG
  bool OutOrigDir = false;         // write beside each source
  bool ExifCopy = false;
  bool ToSrgb = false;             // convert to sRGB by the source's profile, embed none
  bool OverWrite = true;
  std::int32_t Gamma = 1;          // level 0..3
  double GammaStep = 0.06;
  std::int32_t SharpNess = 1;      // level 0..3
  bool AddGSMark = false;
  bool AutoEffOFF = true;
  bool Progress = false;
  std::int32_t Compress = 70;      // JPEG quality; its low byte is used
  std::int32_t AlphaBlendType = 0; // 0 never, 1 while inactive, 2 always
  std::int32_t AlphaBlendValue = 180;
  bool SaveLocate = false;
  std::int32_t SaveGSize = -1;     // size-box item to return to from 原寸
  std::int32_t Jobs = 0;           // files converted at once; 0 or less: one per core
  std::int32_t OutFormat = kFormatJpeg;
  std::int32_t MaxFileKB = 0;      // upper bound on an output's size in KiB; 0 or less: none
  bool NoLocation = false;         // remove the GPS position from the EXIF carried over
  bool NoEnlarge = false;          // a source already at or below the chosen size keeps its own size
  bool FolderDrop = false;         // a dropped folder's pictures are converted (off: it is refused like any file)
  std::int32_t Language = kLanguageJapanese;  // the panel's language
};

}  // namespace plendo::settings
