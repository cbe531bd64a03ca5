#include "codecs/HeifReader.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>
#include <new>
#include <string>
#include <vector>

#include <libheif/heif.h>

#include "codecs/AvifReader.h"
#include "codecs/HeifBoxes.h"
#include "codecs/PhotoPixels.h"
#include "platform/BitmapError.h"
#include "platform/CallFree.h"

namespace plendo::codecs {
namespace {

using platform::Bitmap;
using platform::PixelFormat;

// Far more than an EXIF block that fits a JPEG segment, so only a hostile
// item length is refused here.
constexpr std::size_t kMaxExifItemBytes = std::size_t{1} << 20;

// libheif registers its decoders once per process and frees them at exit.
class Library {
 public:
  Library() { heif_init(nullptr); }
  ~Library() { heif_deinit(); }
  Library(const Library&) = delete;
  Library& operator=(const Library&) = delete;
};

void EnsureLibrary() { static const Library library; }

using Context = std::unique_ptr<heif_context, platform::CallFree<heif_context_free>>;
using Handle = std::unique_ptr<heif_image_handle, platform::CallFree<heif_image_handle_release>>;
using Image = std::unique_ptr<heif_image, platform::CallFree<heif_image_release>>;
using Options = std::unique_ptr<heif_decoding_options, platform::CallFree<heif_decoding_options_free>>;

void Check(const heif_error& error, const char* step) {
  if (error.code != heif_error_Ok) throw HeifError(std::string("HEIF: ") + step + ": " + error.message);
}

// The box structure read, not decoded; `bytes` must outlive the context.
struct PrimaryImage {
  Context context;
  Handle handle;
};

// The item a picture is made of. libheif's primary is the 'pitm' item; some
// writers point that at a thumbnail or auxiliary image of the real picture,
// which libheif then leaves out of its top-level images. Such an item gives
// way to the top-level image it belongs to, else to the first top-level image.
heif_item_id PictureItem(heif_context* context, heif_item_id primary) {
  if (heif_context_is_top_level_image_ID(context, primary)) return primary;
  const int count = heif_context_get_number_of_top_level_images(context);
  if (count <= 0) throw HeifError("HEIF: no image");
  std::vector<heif_item_id> top(static_cast<std::size_t>(count));
  heif_context_get_list_of_top_level_image_IDs(context, top.data(), count);
  for (const heif_item_id id : top) {
    heif_image_handle* raw = nullptr;
    if (heif_context_get_image_handle(context, id, &raw).code != heif_error_Ok) continue;
    const Handle image(raw);
    std::vector<heif_item_id> parts(static_cast<std::size_t>(heif_image_handle_get_number_of_thumbnails(image.get())));
    heif_image_handle_get_list_of_thumbnail_IDs(image.get(), parts.data(), static_cast<int>(parts.size()));
    std::vector<heif_item_id> aux(
        static_cast<std::size_t>(heif_image_handle_get_number_of_auxiliary_images(image.get(), 0)));
    heif_image_handle_get_list_of_auxiliary_image_IDs(image.get(), 0, aux.data(), static_cast<int>(aux.size()));
    parts.insert(parts.end(), aux.begin(), aux.end());
    if (std::find(parts.begin(), parts.end(), primary) != parts.end()) return id;
  }
  return top.front();
}

PrimaryImage OpenPrimary(std::span<const std::uint8_t> bytes) {
  EnsureLibrary();
  PrimaryImage primary{Context(heif_context_alloc()), nullptr};
  if (!primary.context) throw std::bad_alloc();
  heif_context* context = primary.context.get();
  Check(heif_context_read_from_memory_without_copy(context, bytes.data(), bytes.size(), nullptr), "damaged boxes");
  heif_item_id id = 0;
  Check(heif_context_get_primary_image_ID(context, &id), "no primary image");
  heif_image_handle* handle = nullptr;
  Check(heif_context_get_image_handle(context, PictureItem(context, id), &handle), "no primary image");
  primary.handle.reset(handle);
  return primary;
}

std::uint32_t BigEndian32(const std::uint8_t* p) {
  return (std::uint32_t{p[0]} << 24) | (std::uint32_t{p[1]} << 16) | (std::uint32_t{p[2]} << 8) | p[3];
}

// The HEIF and AVIF still brands, and AVIF's sequence brand: libavif reads
// an AVIF sequence's first frame.
bool IsTakenBrand(const std::uint8_t* brand) {
  static constexpr const char* kBrands[] = {"mif1", "mif2", "heic", "heix", "heim", "heis", "avif", "avis"};
  return std::any_of(std::begin(kBrands), std::end(kBrands),
                     [brand](const char* b) { return std::memcmp(brand, b, 4) == 0; });
}

// The decoded interleaved plane into the bitmap, row by row.
Bitmap StorePixels(const heif_image* image, bool alpha, bool deep) {
  const int width = heif_image_get_width(image, heif_channel_interleaved);
  const int height = heif_image_get_height(image, heif_channel_interleaved);
  int stride = 0;
  const std::uint8_t* plane = heif_image_get_plane_readonly(image, heif_channel_interleaved, &stride);
  if (plane == nullptr || width <= 0 || height <= 0) throw HeifError("HEIF: no pixels");
  const int channels = alpha ? 4 : 3;
  const int bits = deep ? heif_image_get_bits_per_pixel_range(image, heif_channel_interleaved) : 8;
  if (deep && (bits < 9 || bits > 16)) throw HeifError("HEIF: unexpected sample depth");
  Bitmap out(width, height, alpha ? PixelFormat::Bgra32 : PixelFormat::Bgr24);
  for (int y = 0; y < height; ++y) {
    const std::uint8_t* row = plane + static_cast<std::size_t>(y) * static_cast<std::size_t>(stride);
    if (deep)
      StoreDeepRgbRow(row, channels, width, bits, out.Row(y));
    else
      StoreRgbRow(row, channels, width, out.Row(y));
  }
  if (alpha && heif_image_is_premultiplied_alpha(const_cast<heif_image*>(image))) Unpremultiply(out);
  return out;
}

// The image's nclx colour box, when it has one and no ICC profile.
std::optional<CodedColour> CodedColourOf(const heif_image_handle* handle) {
  if (heif_image_handle_get_color_profile_type(handle) != heif_color_profile_type_nclx) return {};
  heif_color_profile_nclx* nclx = nullptr;
  // Filled in even when the call fails on primaries it does not know.
  const heif_error error = heif_image_handle_get_nclx_color_profile(handle, &nclx);
  const std::unique_ptr<heif_color_profile_nclx, void (*)(heif_color_profile_nclx*)> owner(
      nclx, heif_nclx_color_profile_free);
  if (error.code != heif_error_Ok || !nclx) return {};
  // libheif fills in the chromaticities its primaries number stands for.
  return CodedColour{nclx->color_primary_red_x,   nclx->color_primary_red_y,   nclx->color_primary_green_x,
                     nclx->color_primary_green_y, nclx->color_primary_blue_x,  nclx->color_primary_blue_y,
                     nclx->color_primary_white_x, nclx->color_primary_white_y, nclx->transfer_characteristics};
}

// A PQ or HLG picture: its samples widened to 16 bits, then tone-mapped.
Bitmap ToneMapped(const heif_image* image, bool alpha, bool deep, const CodedColour& coding) {
  const int width = heif_image_get_width(image, heif_channel_interleaved);
  const int height = heif_image_get_height(image, heif_channel_interleaved);
  int stride = 0;
  const std::uint8_t* plane = heif_image_get_plane_readonly(image, heif_channel_interleaved, &stride);
  if (plane == nullptr || width <= 0 || height <= 0) throw HeifError("HEIF: no pixels");
  const int bits = deep ? heif_image_get_bits_per_pixel_range(image, heif_channel_interleaved) : 8;
  if (bits < 8 || bits > 16) throw HeifError("HEIF: unexpected sample depth");
  const std::size_t channels = alpha ? 4 : 3, row_samples = channels * static_cast<std::size_t>(width);
  const double scale = 65535.0 / ((1 << bits) - 1);
  std::vector<std::uint16_t> samples(row_samples * static_cast<std::size_t>(height));
  for (int y = 0; y < height; ++y) {
    const std::uint8_t* row = plane + static_cast<std::size_t>(y) * static_cast<std::size_t>(stride);
    std::uint16_t* out = samples.data() + static_cast<std::size_t>(y) * row_samples;
    for (std::size_t i = 0; i < row_samples; ++i) {
      const unsigned v = deep ? static_cast<unsigned>(row[2 * i] | row[2 * i + 1] << 8) : row[i];
      out[i] = static_cast<std::uint16_t>(std::min(65535L, std::lround(v * scale)));
    }
  }
  Bitmap out = HdrToSdr(samples.data(), width, height, static_cast<int>(channels), row_samples, coding);
  if (alpha && heif_image_is_premultiplied_alpha(const_cast<heif_image*>(image))) Unpremultiply(out);
  return out;
}

}  // namespace

bool LooksLikeHeif(std::span<const std::uint8_t> bytes) {
  // size (4, big-endian), "ftyp", major brand, minor version, compatible
  // brands (4 bytes each) to the end of the box.
  if (bytes.size() < 16 || std::memcmp(bytes.data() + 4, "ftyp", 4) != 0) return false;
  const std::size_t end = std::min<std::size_t>(BigEndian32(bytes.data()), bytes.size());
  if (end < 16) return false;
  if (IsTakenBrand(bytes.data() + 8)) return true;
  for (std::size_t at = 16; at + 4 <= end; at += 4)
    if (IsTakenBrand(bytes.data() + at)) return true;
  return false;
}

Bitmap DecodeHeif(std::span<const std::uint8_t> bytes) {
  std::optional<PrimaryImage> opened;
  try {
    opened.emplace(OpenPrimary(bytes));
  } catch (const HeifError&) {
    // libheif takes no AVIF sequence and no file it finds no image item in;
    // libavif reads their first frame or primary layer.
    if (NamesAvif(bytes)) return DecodeAvif(bytes);
    throw;
  }
  const heif_image_handle* handle = opened->handle.get();
  const int width = heif_image_handle_get_width(handle);
  const int height = heif_image_handle_get_height(handle);
  const bool alpha = heif_image_handle_has_alpha_channel(handle) != 0;
  if (width <= 0 || height <= 0) throw HeifError("HEIF: no size");
  // The pixel limit, before libheif allocates planes for the image or for
  // any tile of it (a tile may claim more than the whole).
  const std::size_t max_area = Bitmap::kMaxBytes / 4;
  if (static_cast<std::size_t>(width) > max_area / static_cast<std::size_t>(height) ||
      LargestPictureArea(bytes) > max_area)
    throw platform::BitmapTooLarge();

  const bool deep = heif_image_handle_get_luma_bits_per_pixel(handle) > 8;
  const heif_chroma chroma = deep ? (alpha ? heif_chroma_interleaved_RRGGBBAA_LE : heif_chroma_interleaved_RRGGBB_LE)
                                  : (alpha ? heif_chroma_interleaved_RGBA : heif_chroma_interleaved_RGB);
  const Options options(heif_decoding_options_alloc());
  if (!options) throw std::bad_alloc();
  options->ignore_transformations = 0;
  options->convert_hdr_to_8bit = 0;  // we round; libheif would shift
  heif_image* decoded = nullptr;
  Check(heif_decode_image(handle, &decoded, heif_colorspace_RGB, chroma, options.get()), "damaged image data");
  const Image image(decoded);
  const std::optional<CodedColour> coding = CodedColourOf(handle);
  if (coding && IsHdrTransfer(coding->transfer)) return ToneMapped(image.get(), alpha, deep, *coding);
  return StorePixels(image.get(), alpha, deep);
}

std::vector<std::uint8_t> ReadHeifExif(std::span<const std::uint8_t> bytes) {
  try {
    const PrimaryImage primary = OpenPrimary(bytes);
    heif_item_id id = 0;
    if (heif_image_handle_get_list_of_metadata_block_IDs(primary.handle.get(), "Exif", &id, 1) < 1) return {};
    const std::size_t size = heif_image_handle_get_metadata_size(primary.handle.get(), id);
    if (size > kMaxExifItemBytes) return {};
    std::vector<std::uint8_t> item(size);
    if (heif_image_handle_get_metadata(primary.handle.get(), id, item.data()).code != heif_error_Ok) return {};
    return TiffFromExifBox(item);
  } catch (const HeifError&) {
    return {};
  }
}

std::vector<std::uint8_t> ReadHeifIccProfile(std::span<const std::uint8_t> bytes) {
  try {
    const PrimaryImage primary = OpenPrimary(bytes);
    const heif_color_profile_type type = heif_image_handle_get_color_profile_type(primary.handle.get());
    if (type != heif_color_profile_type_prof && type != heif_color_profile_type_rICC) return {};
    std::vector<std::uint8_t> profile(heif_image_handle_get_raw_color_profile_size(primary.handle.get()));
    if (profile.empty() ||
        heif_image_handle_get_raw_color_profile(primary.handle.get(), profile.data()).code != heif_error_Ok)
      return {};
    return profile;
  } catch (const HeifError&) {
    return {};
  }
}

std::optional<CodedColour> ReadHeifCodedColour(std::span<const std::uint8_t> bytes) {
  try {
    return CodedColourOf(OpenPrimary(bytes).handle.get());
  } catch (const HeifError&) {
    return {};
  }
}

}  // namespace plendo::codecs
