#include "imaging/TiffDecoder.h"

#include <algorithm>
#include <bit>
#include <cstdarg>
#include <memory>

#include <lcms2.h>
#include <tiffio.h>

#include "imaging/DecodeError.h"
#include "imaging/MemoryInput.h"
#include "imaging/TiffSamples.h"
#include "platform/CallFree.h"

namespace plendo::imaging {
namespace {

using platform::Bitmap;
using platform::PixelFormat;

// libtiff reads the bytes through these; the source is never written.
// Its offsets must fit the cursor unshortened, or a wild seek could wrap.
static_assert(sizeof(toff_t) <= sizeof(std::size_t));
tsize_t ReadProc(thandle_t handle, tdata_t out, tsize_t length) {
  if (length <= 0) return 0;
  return static_cast<tsize_t>(static_cast<MemoryInput*>(handle)->Read(out, static_cast<std::size_t>(length)));
}
tsize_t WriteProc(thandle_t, tdata_t, tsize_t) { return -1; }
toff_t SeekProc(thandle_t handle, toff_t offset, int whence) {
  auto* in = static_cast<MemoryInput*>(handle);
  toff_t base = 0;
  if (whence == SEEK_CUR) base = in->pos;
  if (whence == SEEK_END) base = in->size;
  // Offsets are unsigned; a "negative" one wraps and is refused here.
  if (offset > ~toff_t{0} - base) return static_cast<toff_t>(-1);
  in->pos = base + offset;
  return in->pos;
}
int CloseProc(thandle_t) { return 0; }
toff_t SizeProc(thandle_t handle) { return static_cast<MemoryInput*>(handle)->size; }
int MapProc(thandle_t, tdata_t*, toff_t*) { return 0; }
void UnmapProc(thandle_t, tdata_t, toff_t) {}

// Errors and warnings are not printed; a failure shows as a return value.
int Quiet(TIFF*, void*, const char*, const char*, va_list) { return 1; }

using Tiff = std::unique_ptr<TIFF, platform::CallFree<TIFFClose>>;

[[noreturn]] void Fail(const char* why) { throw DecodeError(std::string("TIFF: ") + why); }

// The first directory of a TIFF in memory, quiet, with allocations capped;
// `input` must outlive it.
Tiff Open(MemoryInput& input) {
  const std::unique_ptr<TIFFOpenOptions, platform::CallFree<TIFFOpenOptionsFree>> options(TIFFOpenOptionsAlloc());
  if (!options) Fail("out of memory");
  TIFFOpenOptionsSetMaxSingleMemAlloc(options.get(), static_cast<tmsize_t>(Bitmap::kMaxBytes));
  TIFFOpenOptionsSetErrorHandlerExtR(options.get(), Quiet, nullptr);
  TIFFOpenOptionsSetWarningHandlerExtR(options.get(), Quiet, nullptr);
  Tiff tif(TIFFClientOpenExt("source", "rm", &input, ReadProc, WriteProc, SeekProc, CloseProc, SizeProc, MapProc,
                               UnmapProc, options.get()));
  if (!tif) Fail("damaged header");
  return tif;
}

// libtiff's RGBA raster holds R, G, B, A bytes in memory (on a little-endian
// machine), alpha premultiplied; we keep straight BGRA.
void RgbaToStraightBgra(Bitmap& bitmap) {
  for (int y = 0; y < bitmap.Height(); ++y) {
    std::uint8_t* p = bitmap.Row(y);
    for (int x = 0; x < bitmap.Width(); ++x, p += 4) {
      std::swap(p[0], p[2]);
      const unsigned a = p[3];
      if (a == 255) continue;
      if (a == 0) {
        p[0] = p[1] = p[2] = 0;
        continue;
      }
      for (int c = 0; c < 3; ++c) p[c] = static_cast<std::uint8_t>(std::min(255u, (p[c] * 255u + a / 2) / a));
    }
  }
}

// JPEG-compressed strips: every 8 x 8 block takes at least one bit of
// Huffman-coded data, and libjpeg makes up whatever data is missing. A file
// too short for the blocks of its smallest component is cut far inside its
// picture; decoding it would cost work by its area for a few bytes of file.
bool JpegDataCanFill(TIFF* tif, std::uint32_t width, std::uint32_t height, std::size_t file_bytes) {
  std::uint16_t compression = COMPRESSION_NONE, photometric = 0, sub_h = 1, sub_v = 1;
  TIFFGetFieldDefaulted(tif, TIFFTAG_COMPRESSION, &compression);
  if (compression != COMPRESSION_JPEG && compression != COMPRESSION_OJPEG) return true;
  TIFFGetField(tif, TIFFTAG_PHOTOMETRIC, &photometric);
  if (photometric == PHOTOMETRIC_YCBCR) TIFFGetFieldDefaulted(tif, TIFFTAG_YCBCRSUBSAMPLING, &sub_h, &sub_v);
  const auto blocks = [](std::uint64_t pixels, std::uint16_t subsampling) {
    const std::uint64_t block = 8u * std::max<std::uint16_t>(subsampling, 1);
    return (pixels + block - 1) / block;
  };
  return blocks(width, sub_h) * blocks(height, sub_v) / 8 <= file_bytes;
}

// CIELab stores L* (0..100 as 0..255) and signed a*, b* bytes; ICCLab the
// same with a* and b* offset by 128. libtiff's own conversion applies the
// sRGB matrix, made for a D65 white, to the D50 white Lab is relative to, so
// its white is yellowish. Read as RGB, the samples come through unchanged and
// are converted here, the white adapted from D50 to D65.
bool IsLab(std::uint16_t photometric) {
  return photometric == PHOTOMETRIC_CIELAB || photometric == PHOTOMETRIC_ICCLAB;
}

// `bitmap` holds straight Bgra32 whose blue, green and red bytes are b*, a*
// and L*; they become sRGB, alpha stays.
void LabToSrgb(Bitmap& bitmap, bool signed_ab) {
  const std::unique_ptr<void, platform::CallFree<cmsCloseProfile>> lab(cmsCreateLab4Profile(nullptr));  // D50
  const std::unique_ptr<void, platform::CallFree<cmsCloseProfile>> srgb(cmsCreate_sRGBProfile());
  if (!lab || !srgb) Fail("out of memory");
  constexpr cmsUInt32Number kLabInBgra =
      COLORSPACE_SH(PT_Lab) | EXTRA_SH(1) | CHANNELS_SH(3) | BYTES_SH(1) | DOSWAP_SH(1) | SWAPFIRST_SH(1);
  const std::unique_ptr<void, platform::CallFree<cmsDeleteTransform>> transform(cmsCreateTransform(
      lab.get(), kLabInBgra, srgb.get(), TYPE_BGRA_8, INTENT_RELATIVE_COLORIMETRIC, cmsFLAGS_COPY_ALPHA));
  if (!transform) Fail("out of memory");
  for (int y = 0; y < bitmap.Height(); ++y) {
    std::uint8_t* row = bitmap.Row(y);
    if (signed_ab)
      for (int x = 0; x < bitmap.Width(); ++x) row[4 * x] ^= 0x80, row[4 * x + 1] ^= 0x80;
    cmsDoTransform(transform.get(), row, row, static_cast<cmsUInt32Number>(bitmap.Width()));
  }
}

// Orientation (tag 274) says where the stored first row and first column
// belong in the picture as it is meant to be seen; a JPEG output carries no
// such tag for a TIFF, so the pixels are turned. libtiff's oriented reading
// only flips, and 5 to 8 store columns as rows, so the turning is done here
// on the rows as stored.
std::uint16_t StoredOrientation(TIFF* tif) {
  std::uint16_t orientation = ORIENTATION_TOPLEFT;
  TIFFGetFieldDefaulted(tif, TIFFTAG_ORIENTATION, &orientation);
  return orientation >= ORIENTATION_TOPLEFT && orientation <= ORIENTATION_LEFTBOT ? orientation
                                                                                    : ORIENTATION_TOPLEFT;
}

// Where the upright picture's first pixel lies in the stored one, and how far
// (in stored pixels) one step right and one step down move from there.
struct Walk {
  std::ptrdiff_t start, right, down;
};

Walk WalkFor(std::uint16_t orientation, std::ptrdiff_t width, std::ptrdiff_t height) {
  const std::ptrdiff_t last_row = (height - 1) * width, last_column = width - 1;
  switch (orientation) {
    case ORIENTATION_TOPRIGHT: return {last_column, -1, width};
    case ORIENTATION_BOTRIGHT: return {last_row + last_column, -1, -width};
    case ORIENTATION_BOTLEFT: return {last_row, 1, -width};
    case ORIENTATION_LEFTTOP: return {0, width, 1};
    case ORIENTATION_RIGHTTOP: return {last_row, -width, 1};
    case ORIENTATION_RIGHTBOT: return {last_row + last_column, -width, -1};
    case ORIENTATION_LEFTBOT: return {last_column, width, -1};
    default: return {0, 1, width};
  }
}

// `stored` is a Bgra32 raster without row padding.
Bitmap Upright(Bitmap stored, std::uint16_t orientation) {
  if (orientation == ORIENTATION_TOPLEFT) return stored;
  const bool turned = orientation >= ORIENTATION_LEFTTOP;
  Bitmap out(turned ? stored.Height() : stored.Width(), turned ? stored.Width() : stored.Height(),
             PixelFormat::Bgra32);
  const Walk walk = WalkFor(orientation, stored.Width(), stored.Height());
  const auto* from = reinterpret_cast<const std::uint32_t*>(stored.Row(0));
  for (int y = 0; y < out.Height(); ++y) {
    auto* to = reinterpret_cast<std::uint32_t*>(out.Row(y));
    std::ptrdiff_t at = walk.start + y * walk.down;
    for (int x = 0; x < out.Width(); ++x, at += walk.right) to[x] = from[at];
  }
  return out;
}

}  // namespace

Bitmap DecodeTiff(std::span<const std::uint8_t> bytes) {
  static_assert(std::endian::native == std::endian::little, "the RGBA raster is read byte by byte");
  MemoryInput input{bytes.data(), bytes.size()};
  const Tiff tif = Open(input);

  std::uint32_t width = 0, height = 0;
  if (!TIFFGetField(tif.get(), TIFFTAG_IMAGEWIDTH, &width) || !TIFFGetField(tif.get(), TIFFTAG_IMAGELENGTH, &height))
    Fail("no size");
  if (width == 0 || height == 0 || width > 0x7FFFFFFF || height > 0x7FFFFFFF) Fail("bad size");
  if (!JpegDataCanFill(tif.get(), width, height, bytes.size())) Fail("JPEG data far too short for the picture");
  std::uint16_t photometric = 0;
  TIFFGetField(tif.get(), TIFFTAG_PHOTOMETRIC, &photometric);
  if (IsLab(photometric)) TIFFSetField(tif.get(), TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_RGB);
  char message[1024] = {};
  const std::uint16_t orientation = StoredOrientation(tif.get());
  if (!TIFFRGBAImageOK(tif.get(), message))
    return Upright(ReadTiffSamples(tif.get(), width, height), orientation);
  // Bgra32 rows are exactly width * 4 bytes, so the bitmap is the raster
  // libtiff fills (top row first); the size limit applies before allocation.
  Bitmap out(static_cast<int>(width), static_cast<int>(height), PixelFormat::Bgra32);
  static_assert(alignof(std::uint32_t) <= alignof(std::max_align_t));
  auto* raster = reinterpret_cast<std::uint32_t*>(out.Row(0));
  // Asked for the file's own orientation, libtiff keeps the rows as stored.
  if (!TIFFReadRGBAImageOriented(tif.get(), width, height, raster, orientation, 1)) {
    // The RGBA reader takes some layouts (2- and 4-bit RGB) that it then
    // cannot put together; the samples are read one by one instead.
    try {
      return Upright(ReadTiffSamples(tif.get(), width, height), orientation);
    } catch (const DecodeError&) {
      Fail("damaged image data");
    }
  }
  RgbaToStraightBgra(out);
  if (IsLab(photometric)) LabToSrgb(out, photometric == PHOTOMETRIC_CIELAB);
  return Upright(std::move(out), orientation);
}

std::vector<std::uint8_t> ReadTiffIccProfile(std::span<const std::uint8_t> bytes) {
  try {
    MemoryInput input{bytes.data(), bytes.size()};
    const Tiff tif = Open(input);
    std::uint32_t length = 0;
    void* data = nullptr;
    if (!TIFFGetField(tif.get(), TIFFTAG_ICCPROFILE, &length, &data) || data == nullptr) return {};
    const auto* begin = static_cast<const std::uint8_t*>(data);
    return {begin, begin + length};
  } catch (const DecodeError&) {
    return {};
  }
}

}  // namespace plendo::imaging
