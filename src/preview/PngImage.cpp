#include "preview/PngImage.h"

#include <algorithm>
#include <array>
#include <string_view>

#include "preview/PngErrors.h"
#include "preview/PngImageData.h"
#include "preview/StreamBytes.h"

namespace plendo::preview {
namespace {

using platform::Rgba;

constexpr std::array<std::string_view, 10> kKnownChunks = {"IEND", "IHDR", "IDAT", "PLTE", "gAMA",
                                                           "tRNS", "pHYs", "tIME", "tEXt", "zTXt"};
// What a file may make us keep beside the image: the chunk records and
// their texts. Past this the chunks are still read and checked, not kept.
constexpr std::size_t kMaxKeptChunks = 4096;
constexpr std::size_t kMaxKeptBytes = std::size_t{16} << 20;

bool IsKnownChunk(const std::string& name) {
  return std::find(kKnownChunks.begin(), kKnownChunks.end(), name) != kKnownChunks.end();
}

std::uint8_t Blend(std::uint8_t source, std::uint8_t destination, unsigned alpha) {
  return static_cast<std::uint8_t>((source * alpha + (255 - alpha) * destination + 255) >> 8);
}

int SourceIndex(int d, int span, int size) {
  return static_cast<int>(static_cast<std::int64_t>(d) * size / span);
}

}  // namespace

void TPNGObject::Reset() {
  loaded_ = false;
  header_.reset();
  raster_ = PngRaster{};
  gamma_ = IdentityGamma();
  colour_table_.clear();
  has_palette_ = false;
  trns_.reset();
  chunks_.clear();
  kept_bytes_ = 0;
  texts_.clear();
  physical_.reset();
  time_.reset();
}

void TPNGObject::LoadFromStream(std::istream& stream) {
  Reset();
  const std::vector<std::uint8_t> bytes = ReadRemaining(stream);
  LoadFromBytes(bytes);
}

void TPNGObject::LoadFromBytes(PngBytes bytes) {
  Reset();
  Parse(bytes);
  loaded_ = true;
  Changed();
}

void TPNGObject::Parse(PngBytes file) {
  if (file.size() < kPngSignature.size() || !std::equal(kPngSignature.begin(), kPngSignature.end(), file.begin()))
    throw EPNGInvalidFileHeader();
  std::size_t offset = kPngSignature.size();
  bool image_data_seen = false;
  for (bool first = true;; first = false) {
    if (offset == file.size()) throw EPngUnexpectedEnd();
    const PngChunkView chunk = ReadChunk(file, offset);
    if (first && chunk.name != "IHDR") throw EPNGIHDRNotFirst();
    // cHRM is skipped unread, and so is image data after the first run.
    if (chunk.name == "cHRM" || (chunk.name == "IDAT" && image_data_seen)) {
      offset = chunk.end;
      continue;
    }
    Keep(chunk);
    if (!IsKnownChunk(chunk.name) && IsCriticalChunk(chunk.name)) throw EPNGUnknownCriticalChunk();
    if (chunk.name == "IDAT") {
      image_data_seen = true;
      offset = LoadImageData(file, chunk);
      continue;
    }
    CheckChunkCrc(file, chunk);
    LoadChunk(chunk);
    offset = chunk.end;
    if (chunk.name == "IEND") break;
  }
  if (!image_data_seen) throw EPNGNoImageData();
  // Nothing to show the indices with: refused rather than drawn in made-up colours.
  if (header_->colour_type == 3 && !has_palette_) throw EPNGInvalidPalette();
}

void TPNGObject::Keep(const PngChunkView& chunk) {
  if (chunks_.size() >= kMaxKeptChunks) return;
  PngChunk kept{chunk.name, {}};
  if (chunk.name != "IDAT" && kept_bytes_ + chunk.data.size() <= kMaxKeptBytes) {
    kept.data.assign(chunk.data.begin(), chunk.data.end());
    kept_bytes_ += chunk.data.size();
  }
  chunks_.push_back(std::move(kept));
}

void TPNGObject::LoadChunk(const PngChunkView& chunk) {
  const std::string& name = chunk.name;
  if (name == "IHDR") {
    const PngHeader header = ParseIhdr(chunk.data);
    CheckHeaderForDecoding(header);
    raster_ = PngRaster::For(header);
    header_ = header;
    colour_table_.clear();
    has_palette_ = false;
  } else if (name == "PLTE") {
    const std::vector<PngColour> palette = ParsePlte(chunk.data, gamma_);
    if (header_->colour_type == 3) {
      colour_table_.clear();
      for (const PngColour& c : palette) colour_table_.push_back({c.r, c.g, c.b, 255});
      has_palette_ = true;
    }
  } else if (name == "gAMA") {
    if (auto table = ParseGama(chunk.data)) gamma_ = *table;
  } else if (name == "tRNS") {
    trns_ = ParseTrns(chunk.data);
  } else if (name == "pHYs") {
    physical_ = ParsePhys(chunk.data);
  } else if (name == "tIME") {
    time_ = ParseTime(chunk.data);
  } else if (name == "tEXt" || name == "zTXt") {
    // Never shown; kept only while the budget lasts, which also bounds the
    // inflating a hostile file could ask for.
    if (texts_.size() >= kMaxKeptChunks || kept_bytes_ >= kMaxKeptBytes) return;
    if (name == "zTXt" && inflate_budget_ == 0) return;
    PngText text = name == "tEXt" ? ParseText(chunk.data) : ParseCompressedText(chunk.data, inflate_budget_);
    kept_bytes_ += text.keyword.size() + text.text.size() + (name == "zTXt" ? 4096 : 0);
    texts_.push_back(std::move(text));
  }
}

std::size_t TPNGObject::LoadImageData(PngBytes file, const PngChunkView& first) {
  if (header_->colour_type == 0 || header_->colour_type == 4) BuildGreyRamp();
  if (trns_) raster_.SetColourKey({(*trns_)[0], (*trns_)[1], (*trns_)[2], (*trns_)[3], (*trns_)[4], (*trns_)[5]});
  return DecodeImageData(file, first, raster_, gamma_);
}

// Entry i of n levels is gamma[i x 255 / (n - 1)], rounded to nearest.
void TPNGObject::BuildGreyRamp() {
  const std::uint8_t depth = header_->bit_depth;
  const unsigned bits = (depth == 16 || header_->colour_type == 4) ? 8 : (depth == 2 ? 4 : depth);
  const unsigned n = 1u << bits;
  colour_table_.resize(n);
  for (unsigned i = 0; i < n; ++i) {
    const std::uint8_t v = gamma_[(i * 255 + (n - 1) / 2) / (n - 1)];
    colour_table_[i] = {v, v, v, 255};
  }
}

const PngHeader& TPNGObject::Header() const {
  if (!header_) throw EPNGHeaderNotPresent();
  return *header_;
}

std::optional<platform::Bitmap> TPNGObject::TakePlainPixels() {
  if (!loaded_ || !header_ || header_->bit_depth != 8 || trns_) return std::nullopt;
  if (header_->colour_type != 2 && header_->colour_type != 6) return std::nullopt;
  if (gamma_ != IdentityGamma()) return std::nullopt;
  struct Emptied {
    TPNGObject& png;
    ~Emptied() { png.Reset(); }
  } emptied{*this};
  platform::Bitmap& rgb = raster_.pixels;
  if (header_->colour_type == 2) return std::move(rgb);
  platform::Bitmap out(rgb.Width(), rgb.Height(), platform::PixelFormat::Bgra32);
  const std::size_t width = static_cast<std::size_t>(rgb.Width());
  for (int y = 0; y < rgb.Height(); ++y) {
    const std::uint8_t* in = rgb.Row(y);
    const std::uint8_t* alpha = raster_.alpha.data() + static_cast<std::size_t>(y) * width;
    std::uint8_t* row = out.Row(y);
    for (std::size_t x = 0; x < width; ++x) {
      row[4 * x] = in[3 * x];
      row[4 * x + 1] = in[3 * x + 1];
      row[4 * x + 2] = in[3 * x + 2];
      row[4 * x + 3] = alpha[x];
    }
  }
  return out;
}

PngTransparency TPNGObject::Transparency() const {
  if (!header_) return PngTransparency::None;
  const std::uint8_t type = header_->colour_type;
  if (type == 4 || type == 6) return PngTransparency::Partial;
  if (!trns_) return PngTransparency::None;
  if (type != 3) return PngTransparency::Bit;
  // Only fully clear and fully opaque entries: a key colour does it.
  const bool binary = std::all_of(trns_->begin(), trns_->end(), [](std::uint8_t a) { return a == 0 || a == 255; });
  return binary ? PngTransparency::Bit : PngTransparency::Partial;
}

// Grey keys compare the stored samples (16 bits: high and low byte);
// truecolour keys were matched while decoding.
bool TPNGObject::IsKey(int x, int y) const {
  const auto& key = *trns_;
  const PngHeader& h = *header_;
  const std::size_t low_at = raster_.pixels.Stride() * static_cast<std::size_t>(y);
  switch (h.colour_type) {
    case 0: {
      const unsigned index = raster_.IndexAt(x, y);
      if (h.bit_depth == 16) return index == key[0] && raster_.low[low_at + x] == key[1];
      return index == (h.bit_depth == 2 ? 5u * key[1] : key[1]);
    }
    case 2: {
      if (!raster_.keyed.empty()) return raster_.keyed[static_cast<std::size_t>(y) * h.width + x] != 0;
      // tRNS came after the image data: compare what is stored.
      const std::uint8_t* bgr = raster_.pixels.Row(y) + 3 * x;
      for (int c = 0; c < 3; ++c) {  // key: red, green, blue; stored: blue, green, red
        const int i = 2 - c;
        if (h.bit_depth == 16) {
          if (bgr[i] != gamma_[key[2 * c]] || raster_.low[low_at + 3 * x + i] != gamma_[key[2 * c + 1]])
            return false;
        } else if (bgr[i] != gamma_[key[2 * c + 1]]) {
          return false;
        }
      }
      return true;
    }
    case 3: return key[raster_.IndexAt(x, y)] == 0;
    default: return false;
  }
}

Rgba TPNGObject::DisplayedPixel(int x, int y) const {
  Header();
  return PixelIn(Transparency(), x, y);
}

Rgba TPNGObject::PixelIn(PngTransparency mode, int x, int y) const {
  const PngHeader& h = *header_;
  Rgba colour{0, 0, 0, 255};
  if (h.colour_type == 2 || h.colour_type == 6) {
    const std::uint8_t* bgr = raster_.pixels.Row(y) + 3 * x;
    colour = {bgr[2], bgr[1], bgr[0], 255};
  } else if (h.colour_type == 4) {
    const std::uint8_t grey = raster_.pixels.Row(y)[x];  // blended as stored, without the ramp
    colour = {grey, grey, grey, 255};
  } else {
    const unsigned index = raster_.IndexAt(x, y);
    if (index < colour_table_.size())
      colour = colour_table_[index];
    else if (mode == PngTransparency::Partial)
      throw EPngError();
  }
  switch (mode) {
    case PngTransparency::None: break;
    case PngTransparency::Bit: colour.a = IsKey(x, y) ? 0 : 255; break;
    case PngTransparency::Partial:
      colour.a = h.colour_type == 3 ? (*trns_)[raster_.IndexAt(x, y)]
                                    : raster_.alpha[static_cast<std::size_t>(y) * h.width + x];
      break;
  }
  return colour;
}

void TPNGObject::Draw(platform::Canvas& canvas, const platform::Rect& rect) {
  if (GetEmpty()) return;
  platform::Rect r{std::min(rect.left, rect.right), std::min(rect.top, rect.bottom),
                   std::max(rect.left, rect.right), std::max(rect.top, rect.bottom)};
  if (r.Empty()) return;
  const int left = std::max(r.left, 0), right = std::min(r.right, canvas.Width());
  const int top = std::max(r.top, 0), bottom = std::min(r.bottom, canvas.Height());
  const PngTransparency mode = Transparency();
  const bool opaque = mode == PngTransparency::None;
  platform::Bitmap& surface = canvas.Pixels();
  for (int y = top; y < bottom; ++y) {
    const int sy = SourceIndex(y - r.top, r.Height(), GetHeight());
    std::uint8_t* row = surface.Row(y);
    for (int x = left; x < right; ++x) {
      const Rgba s = PixelIn(mode, SourceIndex(x - r.left, r.Width(), GetWidth()), sy);
      if (!opaque && s.a == 0) continue;
      std::uint8_t* d = row + 4 * x;
      const unsigned a = opaque ? 255 : s.a;
      d[0] = Blend(s.b, d[0], a);
      d[1] = Blend(s.g, d[1], a);
      d[2] = Blend(s.r, d[2], a);
      d[3] = 0xFF;
    }
  }
}

void RegisterPngFormats(TFileFormatsList& formats) {
  formats.RegisterFileFormat("PNG", "Portable Network Graphics", GraphicClassOf<TPNGObject>);
}

}  // namespace plendo::preview
