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

// What a frame and an extension cost beside their pixels and kept data.
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

  const std::uint64_t pixels = std::uint64_t{descriptor_.width} * descriptor_.height;
  if (pixels > kGifMaxPixels) throw EGIFTooLarge();
  context.budget.Charge(static_cast<std::size_t>(pixels));
  // The fill in one pass; decoding stops where the data ends, so a frame
  // much larger than its data costs no more than its pixels.
  const std::uint8_t fill = transparent_ ? graphic_control_->TransparentColorIndex() : 0;
  data_.assign(static_cast<std::size_t>(pixels), fill);
  DecodeGifImageData(in, context, this, data_, Width(), Height(), Interlaced());
}

const TGIFColorMap& TGIFSubImage::ActiveColorMap() const {
  if (!color_map_.Empty()) return color_map_;
  if (!image_.GlobalColorMap().Empty()) return image_.GlobalColorMap();
  const TGIFImageList& frames = image_.Images();
  if (frames.Count() == 0 || &frames[0] == this) throw GIFException(gif_text::kNoColorTable);
  return frames[0].ActiveColorMap();
}

const Bitmap& TGIFSubImage::GetBitmap() {
  if (!bitmap_) {
    const TGIFColorMap& map = ActiveColorMap();
    Bitmap bitmap(Width(), Height(), PixelFormat::Indexed8);
    bitmap.Palette().reserve(map.entries.size());
    for (const TGIFColor& c : map.entries) bitmap.Palette().push_back({c.r, c.g, c.b, 255});
    const auto width = static_cast<std::size_t>(Width());
    for (int y = 0; y < Height(); ++y)
      std::memcpy(bitmap.Row(y), data_.data() + static_cast<std::size_t>(y) * width, width);
    bitmap_ = std::move(bitmap);
  }
  if (transparent_ && mask_pending_) {
    mask_pending_ = false;
    BuildMask();
  }
  return *bitmap_;
}

void TGIFSubImage::BuildMask() {
  const std::uint8_t key = graphic_control_->TransparentColorIndex();
  Bitmap mask(Width(), Height(), PixelFormat::Indexed1);
  bool any = false;
  const auto width = static_cast<std::size_t>(Width());
  for (int y = 0; y < Height(); ++y) {
    const std::uint8_t* row = data_.data() + static_cast<std::size_t>(y) * width;
    std::uint8_t* bits = mask.Row(y);
    for (std::size_t x = 0; x < width; ++x)
      if (row[x] == key) {
        bits[x / 8] |= static_cast<std::uint8_t>(0x80 >> (x % 8));
        any = true;
      }
  }
  if (any) mask_ = std::move(mask);
}

Rect TGIFSubImage::ScaleRect(const Rect& rect) const {
  const int sw = image_.GetWidth(), sh = image_.GetHeight();
  return {rect.left + MulDiv(Left(), rect.Width(), sw), rect.top + MulDiv(Top(), rect.Height(), sh),
          rect.left + MulDiv(Left() + Width(), rect.Width(), sw),
          rect.top + MulDiv(Top() + Height(), rect.Height(), sh)};
}

void TGIFSubImage::Draw(platform::Canvas& canvas, const Rect& rect, bool tile, bool transparent) {
  if (Empty()) return;
  const Bitmap& bitmap = GetBitmap();
  const Bitmap* mask = transparent && transparent_ ? Mask() : nullptr;
  auto put = [&](const Rect& where) {
    if (mask)
      canvas.StretchDrawMasked(where, bitmap, *mask);
    else
      canvas.StretchDraw(where, bitmap);
  };
  if (!tile) {
    put(ScaleRect(rect));
    return;
  }
  // Cells of the screen's size from the rectangle's corner on; only those
  // that can reach the canvas are visited.
  const std::int64_t sw = image_.GetWidth(), sh = image_.GetHeight();
  if (sw <= 0 || sh <= 0 || rect.Empty()) return;
  auto first_cell = [](std::int64_t start, std::int64_t reach, std::int64_t step) {
    return start + reach > 0 ? std::int64_t{0} : (-(start + reach)) / step;
  };
  const std::int64_t right = std::min(rect.right, canvas.Width());
  const std::int64_t bottom = std::min(rect.bottom, canvas.Height());
  for (std::int64_t y = rect.top + sh * first_cell(rect.top, Top() + Height(), sh); y < bottom; y += sh)
    for (std::int64_t x = rect.left + sw * first_cell(rect.left, Left() + Width(), sw); x < right; x += sw) {
      const int left = static_cast<int>(x) + Left(), top = static_cast<int>(y) + Top();
      put({left, top, left + Width(), top + Height()});
    }
}

// ---- TGIFImage

TGIFImage::TGIFImage() : hand_over_(&MainHandOver()), clock_(&SteadyAnimationClock()) {}

TGIFImage::~TGIFImage() { PaintStop(); }

void TGIFImage::Clear() {
  PaintStop();
  images_.Clear();
  header_ = TGIFHeader{};
  width_ = height_ = 0;
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

void TGIFImage::LoadFromBytes(GifBytes bytes) {
  Clear();
  try {
    Parse(bytes);
  } catch (...) {
    Clear();
    throw;
  }
  Changed();
}

void TGIFImage::Parse(GifBytes bytes) {
  GifLoadContext context;
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
      // Past the memory budget the frames read so far are kept: a large
      // animation plays what fits, at least its first frame.
      if (images_.Count() == 0) throw;
      GrowScreen();
      return;  // the rest of the file is not read, its trailer neither
    }
  }
  GrowScreen();

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

TGIFSubImage* TGIFImage::StillFrame() {
  return const_cast<TGIFSubImage*>(std::as_const(*this).StillFrame());
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
  if (images_.Count() == 1 || !(draw_options_ & gif_draw::AnimateFrames)) {
    StillFrame()->Draw(canvas, rect, tile, transparent);
    return;
  }
  if (!(draw_options_ & gif_draw::AnimateOnThread)) {
    // Playing on this thread would mean a message loop inside a paint.
    StillFrame()->Draw(canvas, rect, tile, transparent);
    return;
  }
  if (rect.Empty() || width_ <= 0 || height_ <= 0) return;
  if (!screen_ || !(screen_target_ == Target{canvas.Width(), canvas.Height(), rect})) StartAnimation(canvas, rect);
  if (painter_error_) std::rethrow_exception(std::exchange(painter_error_, nullptr));
  DrawAnimation(canvas, rect);
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
