#include "preview/GifImage.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <utility>

#include "preview/GifLzw.h"
#include "preview/GifPainter.h"
#include "preview/StreamBytes.h"

namespace plendo::preview {
namespace {

using platform::Bitmap;
using platform::PixelFormat;
using platform::Rect;

// What a frame and an extension cost beside their image data and kept text.
constexpr std::size_t kFrameCost = sizeof(TGIFSubImage) + 64;
constexpr std::size_t kExtensionCost = 128;

}  // namespace

int MulDiv(int a, int b, int c) {
  if (c == 0) return -1;
  const std::int64_t product = std::int64_t{a} * b;
  const std::int64_t half = (c < 0 ? -std::int64_t{c} : c) / 2;
  const bool negative = (product < 0) != (c < 0);
  std::int64_t result = ((product < 0 ? -product : product) + half) / (c < 0 ? -std::int64_t{c} : c);
  if (negative) result = -result;
  return static_cast<int>(std::clamp<std::int64_t>(result, std::numeric_limits<int>::min(),
                                                   std::numeric_limits<int>::max()));
}

namespace {

// `rect` of the canvas as a bitmap of its own; parts off the canvas stay black.
Bitmap RegionOf(const platform::Canvas& canvas, const Rect& rect) {
  Bitmap region(rect.Width(), rect.Height(), PixelFormat::Bgra32);
  const int left = std::max(rect.left, 0), right = std::min(rect.right, canvas.Width());
  if (left >= right) return region;
  for (int y = std::max(rect.top, 0); y < std::min(rect.bottom, canvas.Height()); ++y)
    std::memcpy(region.Row(y - rect.top) + static_cast<std::size_t>(left - rect.left) * 4,
                canvas.Pixels().Row(y) + static_cast<std::size_t>(left) * 4, static_cast<std::size_t>(right - left) * 4);
  return region;
}

}  // namespace

// ---- GifFrameRaster

std::size_t GifFrameRaster::Bytes() const {
  std::size_t bytes = pixels.Stride() * static_cast<std::size_t>(pixels.Height());
  if (mask) bytes += mask->Stride() * static_cast<std::size_t>(mask->Height());
  return bytes;
}

void GifFrameRaster::Draw(platform::Canvas& canvas, bool transparent, int dx, int dy) const {
  if (area.Empty()) return;
  const Rect at{area.left + dx, area.top + dy, area.right + dx, area.bottom + dy};
  if (transparent && mask)
    canvas.StretchDrawMasked(at, pixels, *mask);
  else
    canvas.StretchDraw(at, pixels);
}

// ---- TGIFSubImage

void TGIFSubImage::LoadFromReader(GifReader& in, GifLoadContext& context) {
  // "!" extension ... up to the image's separator, the trailer or the end.
  for (int b = in.Peek(); b >= 0 && b != kGifImageSeparator && b != kGifTrailer; b = in.Peek()) {
    if (b != kGifExtensionIntroducer) {
      context.Warn(this, gif_text::kInvalidIntroducer);
      break;
    }
    std::unique_ptr<TGIFExtension> extension = NewGifExtension(in);
    context.budget.Charge(kExtensionCost);
    extension->LoadFromReader(in, context);
    if (const auto* control = dynamic_cast<const TGIFGraphicControlExtension*>(extension.get())) {
      if (!graphic_control_) graphic_control_ = control;
      if (control->Complete() && control->Transparent()) transparent_ = true;
    }
    extensions_.push_back(std::move(extension));
  }

  // Extensions alone (before the trailer, a zero byte or the end) make a
  // frame without image. Otherwise the descriptor starts here, whatever
  // the byte.
  const int next = in.Peek();
  if (next < 0 || next == kGifTrailer || next == 0) return;
  descriptor_ = ReadImageDescriptor(in);
  has_image_ = true;
  if (descriptor_.width == 0 || descriptor_.height == 0) {
    descriptor_.width = image_.Header().width;
    descriptor_.height = image_.Header().height;
    context.Warn(this, gif_text::kExceedsScreen);
  }
  if (descriptor_.flags & kGifColorTableFlag) color_map_ = ReadColorMap(in, descriptor_.flags);

  // Decoded here only to check the data and give its warnings; decoding
  // stops where the data ends, so a frame much larger than its data costs
  // no more than its data. What was read is kept for drawing: decoding it
  // again reads exactly these bytes and gives the same pixels.
  const std::size_t start = in.Position();
  const auto width = static_cast<std::uint64_t>(Width());
  DecodeGifImageData(in, context, this, Width(), Height(), Interlaced(), Fill(),
                     [&](int, std::span<const std::uint8_t>) { context.budget.Decode(width); });
  const GifBytes data = in.Since(start);
  context.budget.Charge(data.size());
  data_.assign(data.begin(), data.end());
}

std::uint8_t TGIFSubImage::Fill() const { return transparent_ ? graphic_control_->TransparentColorIndex() : 0; }

const TGIFColorMap& TGIFSubImage::ActiveColorMap() const {
  if (!color_map_.Empty()) return color_map_;
  if (!image_.GlobalColorMap().Empty()) return image_.GlobalColorMap();
  const TGIFImageList& frames = image_.Images();
  if (frames.Count() == 0 || &frames[0] == this) throw GIFException(gif_text::kNoColorTable);
  return frames[0].ActiveColorMap();
}

namespace {

std::int64_t CeilDiv(std::int64_t a, std::int64_t b) { return (a + b - 1) / b; }

Rect Intersect(const Rect& a, const Rect& b) {
  return {std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right), std::min(a.bottom, b.bottom)};
}

// One bit a pixel where `pixels` holds `key`; none when no pixel does.
std::optional<Bitmap> MaskOf(const Bitmap& pixels, std::uint8_t key) {
  Bitmap mask(pixels.Width(), pixels.Height(), PixelFormat::Indexed1);
  bool any = false;
  for (int y = 0; y < pixels.Height(); ++y) {
    const std::uint8_t* row = pixels.Row(y);
    std::uint8_t* bits = mask.Row(y);
    for (int x = 0; x < pixels.Width(); ++x)
      if (row[x] == key) {
        bits[x / 8] |= static_cast<std::uint8_t>(0x80 >> (x % 8));
        any = true;
      }
  }
  if (!any) return std::nullopt;
  return mask;
}

}  // namespace

// Each decoded row goes to the canvas rows that take it, sampled at the
// columns the stretch takes; rows no canvas row takes are passed over. The
// canvas rows taking source row sy are those y with
// floor((y - top) * height / span) = sy, a run from ceil(sy * span / height).
GifFrameRaster TGIFSubImage::Render(const Rect& place, const Rect& clip) const {
  const TGIFColorMap& map = ActiveColorMap();
  GifFrameRaster raster;
  if (Empty() || place.Empty()) return raster;
  const Rect area = Intersect(place, clip);
  if (area.Empty()) return raster;
  raster.area = area;
  raster.pixels = Bitmap(area.Width(), area.Height(), PixelFormat::Indexed8);
  Bitmap& pixels = raster.pixels;
  pixels.Palette().reserve(map.entries.size());
  for (const TGIFColor& c : map.entries) pixels.Palette().push_back({c.r, c.g, c.b, 255});
  const auto row_bytes = static_cast<std::size_t>(area.Width());
  for (int y = 0; y < area.Height(); ++y) std::memset(pixels.Row(y), Fill(), row_bytes);

  std::vector<int> columns(row_bytes);
  for (int x = area.left; x < area.right; ++x) columns[x - area.left] = platform::StretchSource(x - place.left, place.Width(), Width());
  const std::int64_t span = place.Height(), height = Height();
  GifReader in(data_);
  const GifLoadContext quiet;  // its warnings were given at load
  DecodeGifImageData(in, quiet, this, Width(), Height(), Interlaced(), Fill(),
                     [&](int sy, std::span<const std::uint8_t> row) {
                       const std::int64_t first = place.top + CeilDiv(sy * span, height);
                       const std::int64_t end = place.top + CeilDiv((sy + 1) * span, height);
                       const int from = static_cast<int>(std::max<std::int64_t>(first, area.top));
                       const int to = static_cast<int>(std::min<std::int64_t>(end, area.bottom));
                       if (from >= to) return;
                       std::uint8_t* out = pixels.Row(from - area.top);
                       for (std::size_t x = 0; x < row_bytes; ++x) out[x] = row[static_cast<std::size_t>(columns[x])];
                       for (int y = from + 1; y < to; ++y) std::memcpy(pixels.Row(y - area.top), out, row_bytes);
                     });
  if (transparent_) raster.mask = MaskOf(pixels, Fill());
  return raster;
}

Rect TGIFSubImage::ScaleRect(const Rect& rect) const {
  const int sw = image_.GetWidth(), sh = image_.GetHeight();
  return {rect.left + MulDiv(Left(), rect.Width(), sw), rect.top + MulDiv(Top(), rect.Height(), sh),
          rect.left + MulDiv(Left() + Width(), rect.Width(), sw),
          rect.top + MulDiv(Top() + Height(), rect.Height(), sh)};
}

void TGIFSubImage::Draw(platform::Canvas& canvas, const Rect& rect, bool tile, bool transparent) const {
  if (Empty()) return;
  if (!tile) {
    Render(ScaleRect(rect), canvas.ClientRect()).Draw(canvas, transparent);
    return;
  }
  // Cells of the screen's size from the rectangle's corner on; only those
  // that can reach the canvas are visited. A frame that fits the canvas is
  // rendered once for all of them; a larger one only reaches a few.
  const std::int64_t sw = image_.GetWidth(), sh = image_.GetHeight();
  if (sw <= 0 || sh <= 0 || rect.Empty()) return;
  auto first_cell = [](std::int64_t start, std::int64_t reach, std::int64_t step) {
    return start + reach > 0 ? std::int64_t{0} : (-(start + reach)) / step;
  };
  const Rect own{0, 0, Width(), Height()};
  std::optional<GifFrameRaster> whole;
  if (Width() <= canvas.Width() && Height() <= canvas.Height()) whole = Render(own, own);
  const std::int64_t right = std::min(rect.right, canvas.Width());
  const std::int64_t bottom = std::min(rect.bottom, canvas.Height());
  for (std::int64_t y = rect.top + sh * first_cell(rect.top, Top() + Height(), sh); y < bottom; y += sh)
    for (std::int64_t x = rect.left + sw * first_cell(rect.left, Left() + Width(), sw); x < right; x += sw) {
      const int left = static_cast<int>(x) + Left(), top = static_cast<int>(y) + Top();
      if (whole)
        whole->Draw(canvas, transparent, left, top);
      else
        Render({left, top, left + Width(), top + Height()}, canvas.ClientRect()).Draw(canvas, transparent);
    }
}

// ---- TGIFImage

TGIFImage::TGIFImage() : hand_over_(&MainHandOver()), clock_(&SteadyAnimationClock()) {}

TGIFImage::~TGIFImage() { PaintStop(); }

void TGIFImage::Clear() {
  PaintStop();
  still_.reset();
  images_.Clear();
  header_ = TGIFHeader{};
  width_ = height_ = 0;
  loaded_bytes_ = 0;
}

void TGIFImage::LoadFromStream(std::istream& stream) {
  Clear();
  const std::istream::pos_type start = stream.tellg();
  try {
    const std::vector<std::uint8_t> bytes = ReadRemaining(stream);
    LoadFromBytes(bytes);
  } catch (...) {
    stream.clear();
    if (start != std::istream::pos_type(-1)) stream.seekg(start);
    throw;
  }
}

void TGIFImage::LoadFromBytes(GifBytes bytes, GifLoadLimits limits) {
  Clear();
  try {
    Parse(bytes, limits);
  } catch (...) {
    Clear();
    throw;
  }
  Changed();
}

void TGIFImage::Parse(GifBytes bytes, GifLoadLimits limits) {
  GifLoadContext context{GifLoadBudget(limits), nullptr};
  context.warning = [this](const void* sender, const char* message) { Warning(sender, 1, message); };
  GifReader in(bytes);
  header_ = ReadGifHeader(in);
  width_ = header_.width;
  height_ = header_.height;

  // Zero bytes between blocks are passed over.
  for (in.SkipZeros(); !in.AtEnd() && in.Peek() != kGifTrailer; in.SkipZeros()) {
    const int b = in.Peek();
    if (b != kGifExtensionIntroducer && b != kGifImageSeparator) {
      Warning(this, 1, gif_text::kUnknownBlock);
      break;
    }
    try {
      context.budget.Charge(kFrameCost);
      auto frame = std::make_unique<TGIFSubImage>(*this);
      frame->LoadFromReader(in, context);
      images_.Add(std::move(frame));
    } catch (const EGIFTooLarge&) {
      // Past the budget the frames read so far are kept: a large animation
      // plays what fits, at least its first frame.
      if (images_.Count() == 0) throw;
      GrowScreen();
      loaded_bytes_ = context.budget.Used();
      return;  // the rest of the file is not read, its trailer neither
    }
  }
  GrowScreen();
  loaded_bytes_ = context.budget.Used();

  const int trailer = in.ReadByte();
  if (trailer >= 0 && trailer != kGifTrailer) Warning(this, 1, gif_text::kInvalidTrailer);
}

// The screen grows to hold every frame; both sides may pass 65535. Nothing
// of the screen's size is kept: a still frame is drawn straight into the
// preview, and the animation plays into a copy of the preview's size.
void TGIFImage::GrowScreen() {
  for (int i = 0; i < images_.Count(); ++i) {
    const TGIFSubImage& frame = images_[i];
    width_ = std::max(width_, frame.Left() + frame.Width());
    height_ = std::max(height_, frame.Top() + frame.Height());
  }
}

void TGIFImage::Warning(const void* sender, int severity, const std::string& message) const {
  if (on_warning_) on_warning_(sender, severity, message);
}

const TGIFSubImage* TGIFImage::StillFrame() const {
  if (images_.Count() == 0) return nullptr;
  return force_frame_ >= 0 && force_frame_ < images_.Count() ? &images_[force_frame_] : &images_[0];
}

bool TGIFImage::GetTransparent() const {
  const TGIFSubImage* frame = StillFrame();
  if (!frame) return false;
  const bool covers = frame->Left() == 0 && frame->Top() == 0 && frame->Width() == width_ && frame->Height() == height_;
  return frame->Transparent() || !covers;
}

void TGIFImage::Draw(platform::Canvas& canvas, const Rect& rect) {
  if (drawing_ || images_.Count() == 0) return;
  drawing_ = true;
  struct Reset {
    bool& flag;
    ~Reset() { flag = false; }
  } reset{drawing_};
  const bool tile = draw_options_ & gif_draw::TileImage;
  const bool transparent = draw_options_ & gif_draw::HonourTransparency;
  if (images_.Count() == 1 || !(draw_options_ & gif_draw::AnimateFrames) ||
      !(draw_options_ & gif_draw::AnimateOnThread)) {
    // Playing on this thread would mean a message loop inside a paint.
    if (tile)
      StillFrame()->Draw(canvas, rect, tile, transparent);
    else
      DrawStill(canvas, rect);
    return;
  }
  if (rect.Empty() || width_ <= 0 || height_ <= 0) return;
  if (!screen_ || !(screen_target_ == Target{canvas.Width(), canvas.Height(), rect})) StartAnimation(canvas, rect);
  if (painter_error_) std::rethrow_exception(std::exchange(painter_error_, nullptr));
  DrawAnimation(canvas, rect);
}

// A repaint of the same place draws the frame rendered for the last one.
void TGIFImage::DrawStill(platform::Canvas& canvas, const Rect& rect) {
  const TGIFSubImage& frame = *StillFrame();
  const Rect place = frame.ScaleRect(rect), clip = canvas.ClientRect();
  if (!still_ || still_->frame != &frame || !(still_->place == place) || !(still_->clip == clip)) {
    still_.reset();
    still_ = StillRaster{&frame, place, clip, frame.Render(place, clip)};
  }
  still_->raster.Draw(canvas, draw_options_ & gif_draw::HonourTransparency);
}

void TGIFImage::StartAnimation(const platform::Canvas& canvas, const Rect& rect) {
  StopDraw();
  painter_error_ = nullptr;
  // The copy the painter plays into has the size the preview shows it at,
  // so memory and work follow what is shown, not the screen a file declares
  // (8000 x 8000 for two 1 x 1 frames, or grown to hold a frame placed far
  // outside it). Tiles are laid at the screen's own size.
  const bool tile = draw_options_ & gif_draw::TileImage;
  screen_.emplace(tile ? width_ : rect.Width(), tile ? height_ : rect.Height());
  screen_->StretchDraw(screen_->ClientRect(), RegionOf(canvas, rect));
  screen_target_ = {canvas.Width(), canvas.Height(), rect};
  painter_ = std::make_unique<TGIFPainter>(*this, *screen_, *hand_over_, *clock_);
  // Paints served inside a draw need no repaint of their own.
  painter_->SetOnPaint([this] {
    if (!drawing_) Changed();
  });
  painter_->SetOnEnd([this, painter = painter_.get()] {
    painter_error_ = painter->Error();
    if (painter_error_ && !drawing_) Changed();
  });
  painter_->Start();
  painter_->WaitForFirstFrame();
}

void TGIFImage::DrawAnimation(platform::Canvas& canvas, const Rect& rect) const {
  if (!(draw_options_ & gif_draw::TileImage)) {
    canvas.StretchDraw(rect, screen_->Pixels());
    return;
  }
  const int right = std::min(rect.right, canvas.Width()), bottom = std::min(rect.bottom, canvas.Height());
  for (int y = rect.top; y < bottom; y += height_)
    for (int x = rect.left; x < right; x += width_) canvas.StretchDraw({x, y, x + width_, y + height_}, screen_->Pixels());
}

void TGIFImage::StopDraw() {
  if (std::unique_ptr<TGIFPainter> painter = std::move(painter_)) {
    painter->Stop();
    painter->WaitForEnd();
  }
  screen_.reset();
}

void TGIFImage::PaintStop() {
  StopDraw();
  painter_error_ = nullptr;
}

bool TGIFImage::Animating() const { return painter_ && !painter_->Ended(); }

std::size_t TGIFImage::AnimationBytes() const {
  if (!screen_) return 0;
  const std::size_t screen = screen_->Pixels().Stride() * static_cast<std::size_t>(screen_->Height());
  return screen + (painter_ ? painter_->BufferBytes() : 0);
}

void TGIFImage::SetAnimationServices(HandOverQueue& queue, AnimationClock& clock) {
  PaintStop();
  hand_over_ = &queue;
  clock_ = &clock;
}

void RegisterGifFormats(TFileFormatsList& formats) {
  formats.RegisterFileFormat("GIF", "GIF Image", GraphicClassOf<TGIFImage>);
}

}  // namespace plendo::preview
