#pragma once
// The output file formats: their extensions, what they keep, and how the one
// quality setting (Compress, JPEG's 0..100) reads on each encoder's scale.
#include <cstdint>
#include <string>

#include "settings/AppSettings.h"

namespace plendo::engine {

// An OutFormat outside 0..4 (a hand-edited file) reads as JPEG.
settings::OutputFormat FormatOf(std::int32_t out_format);

// ".png", ".webp", ".avif", ".jxl"; a JPEG's comes from JPEGExt (".jpg" ...).
std::string FormatExtension(settings::OutputFormat format, std::int32_t jpeg_ext);

// PNG, WebP, AVIF and JPEG XL keep a source's transparency; JPEG composites
// it on white.
bool KeepsAlpha(settings::OutputFormat format);
// PNG is always lossless; it has no quality to lower for a size limit.
bool HasQuality(settings::OutputFormat format);

// The encoder's quality for a Compress of 0..100 (its low byte, as for JPEG),
// chosen so that the same number looks about the same in every lossy format
// (SSIM against the source, measured by bench/quality_map; the table is in
// the README). JPEG's is the number itself.
int EncoderQuality(settings::OutputFormat format, int compress);
// WebP and JPEG XL at 100 are lossless.
bool IsLossless(settings::OutputFormat format, int compress);

}  // namespace plendo::engine
