#pragma once
// Pictures coded with the PQ or HLG transfer (HDR photos from phones and
// cameras) brought to an ordinary sRGB picture. The AVIF, HEIF and JPEG XL
// readers all hand their HDR pixels here, so the three formats look alike.
//
// Light is decoded to display luminance (HLG through its 1000-nit display
// rendering), compressed above the knee of the BT.2390 roll-off curve so the
// picture's peak lands on the SDR peak of 203 nits (HDR reference white),
// turned from the coded primaries into sRGB's, and given sRGB's curve. Tones
// below the knee, about 100 nits, keep their level: an HDR picture made from
// an SDR one comes back as it was, but for its highlights.
#include <cstdint>
#include <vector>

#include "platform/Bitmap.h"

namespace plendo::codecs {

// The chromaticities (x, y) of the primaries and white point, and the
// transfer characteristics as their ITU-T H.273 number (13 is sRGB's curve,
// 16 PQ, 18 HLG).
struct CodedColour {
  double red_x, red_y, green_x, green_y, blue_x, blue_y, white_x, white_y;
  int transfer;
};

constexpr int kTransferPq = 16;
constexpr int kTransferHlg = 18;

inline bool IsHdrTransfer(int transfer) { return transfer == kTransferPq || transfer == kTransferHlg; }

// `width` x `height` pixels of R, G, B (and A when `channels` is 4) code
// values scaled to 0..65535, rows `stride` samples apart, into a Bgr24 (or
// Bgra32, alpha kept) sRGB bitmap.
platform::Bitmap HdrToSdr(const std::uint16_t* samples, int width, int height, int channels, std::size_t stride,
                          const CodedColour& coding);

}  // namespace plendo::codecs
