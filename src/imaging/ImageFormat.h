#pragma once
// Recognising a source's format from its first bytes; the file name is never
// consulted (a PNG named .jpg converts).
#include <cstdint>
#include <span>

namespace plendo::imaging {

// Heif covers AVIF too: the same container, another codec inside.
enum class ImageFormat { Unknown, Bmp, Jpeg, Gif, Png, Tiff, Wmf, Emf, Ico, Heif, Webp, Jxl };

ImageFormat DetectFormat(std::span<const std::uint8_t> bytes);

}  // namespace plendo::imaging
