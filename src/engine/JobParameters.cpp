#include "engine/JobParameters.h"

#include <cstdio>

#include "engine/OutputFormat.h"
#include "engine/OutputNaming.h"
#include "engine/ResizeEngine.h"

namespace plendo::engine {

bool EffectsOff(const settings::AppSettings& settings, bool actual_size) {
  return actual_size && settings.AutoEffOFF;
}

std::string OutputExtension(std::int32_t jpeg_ext) {
  switch (jpeg_ext) {
    case 0: return ".jpg";
    case 1: return ".jpeg";
    case 2: return ".JPG";
    case 3: return ".JPEG";
    default: return {};
  }
}

std::vector<std::string> ExtensionsOfType(std::int32_t type) {
  switch (type) {
    case settings::kTypeBmp: return {".bmp"};
    case settings::kTypeJpeg: return {".jpg", ".jpeg"};
    case settings::kTypeGif: return {".gif"};
    case settings::kTypePng: return {".png"};
    case settings::kTypeTiff: return {".tif", ".tiff"};
    case settings::kTypeWmf: return {".wmf"};
    case settings::kTypeEmf: return {".emf"};
    case settings::kTypeIcon: return {".ico"};
    case settings::kTypeHeif: return {".heic", ".heif"};
    case settings::kTypeAvif: return {".avif"};
    case settings::kTypeWebp: return {".webp"};
    case settings::kTypeJxl: return {".jxl"};
    default: return {};
  }
}

bool HasPictureExtension(const std::string& path) {
  const std::string ext = ExtractFileExt(path);
  for (std::int32_t type = settings::kTypeBmp; type <= settings::kTypeJxl; ++type)
    for (const std::string& e : ExtensionsOfType(type))
      if (EqualsIgnoringCase(ext, e)) return true;
  return false;
}

namespace {

std::string CorrectionMark(const settings::AppSettings& settings, bool effects_off) {
  if (!settings.AddGSMark) return {};
  if (effects_off) return "_g0s0";
  char mark[48];
  std::snprintf(mark, sizeof mark, "_g%ds%d", static_cast<int>(settings.Gamma),
                static_cast<int>(settings.SharpNess));
  return mark;
}

// Centre weight and divisor of each sharpening level; the eight neighbours
// weigh -1, so every kernel sums to its divisor and flat areas keep their value.
struct SharpLevel {
  std::int16_t centre;
  std::int32_t divisor;
};

bool SharpLevelOf(std::int32_t level, SharpLevel& out) {
  switch (level) {
    case 1: out = {24, 16}; return true;
    case 2: out = {16, 8}; return true;
    case 3: out = {12, 4}; return true;
    default: return false;
  }
}

}  // namespace

TGlobalWorkValue MakeGlobalWorkValue(const settings::AppSettings& settings, bool actual_size) {
  const bool off = EffectsOff(settings, actual_size);
  TGlobalWorkValue v;
  v.OutExt = FormatExtension(FormatOf(settings.OutFormat), settings.JPEGExt);
  v.GSMark = CorrectionMark(settings, off);
  v.GammaValue = off ? 1.0 : static_cast<double>(settings.Gamma) * settings.GammaStep + 1.0;
  v.SharpBias = 0;
  v.SharpDivisor = 0;
  v.SharpKernel.fill(-1);
  SharpLevel level{};
  if (!off && SharpLevelOf(settings.SharpNess, level)) {
    v.SharpKernel[4] = level.centre;
    v.SharpDivisor = level.divisor;
  }
  if (settings.XQTMode == 1) v.ExtList = ExtensionsOfType(settings.XQTExt);
  return v;
}

void ResizeEngine::SetGlobalWorkValue() {
  running_ = false;
  output_count_ = 0;
  global_work_value_ = MakeGlobalWorkValue(settings_, host_.IsActualSize());
}

}  // namespace plendo::engine
