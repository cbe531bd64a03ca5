#pragma once
// The GIF preview decoder. Loading parses the whole file: header, colour
// tables, extensions and every frame, each frame's image data LZW-decoded
// once to check it. A frame keeps its image data as the file holds it and is
// decoded again whenever it is drawn, straight into the size it is drawn at:
// memory follows what the preview shows, never the sizes a file declares.
//
// Fatal problems raise GIFException (GifErrors.h); lesser ones go to the
// warning handler, if any, and loading goes on.
//
// Frames are rendered with their palette as it stands: the screens we draw
// on have more than 8 bits a pixel, where no dithering is ever asked for.
#include <cstdint>
#include <exception>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "platform/Bitmap.h"
#include "preview/FileFormats.h"
#include "preview/GifBlocks.h"
#include "preview/GifExtensions.h"
#include "preview/Graphic.h"

namespace plendo::preview {

class TGIFImage;
class TGIFPainter;
class HandOverQueue;
class AnimationClock;

// a * b / c rounded to the nearest, halves away from zero; -1 when c is 0.
int MulDiv(int a, int b, int c);

// How an image is drawn; the bits of TGIFImage::DrawOptions.
using TGIFDrawOptions = std::uint16_t;
namespace gif_draw {
inline constexpr TGIFDrawOptions AnimateOnThread = 1 << 0;
inline constexpr TGIFDrawOptions HonourTransparency = 1 << 1;
inline constexpr TGIFDrawOptions AnimateFrames = 1 << 2;
inline constexpr TGIFDrawOptions RepeatAnimation = 1 << 3;
inline constexpr TGIFDrawOptions RepeatForever = 1 << 4;
inline constexpr TGIFDrawOptions CheckTargetValid = 1 << 5;
inline constexpr TGIFDrawOptions PaintOnTarget = 1 << 6;
inline constexpr TGIFDrawOptions ClearOnRestart = 1 << 7;
inline constexpr TGIFDrawOptions TileImage = 1 << 8;
inline constexpr TGIFDrawOptions DitherFrames = 1 << 9;
inline constexpr TGIFDrawOptions DitherOnPaletteScreens = 1 << 10;
inline constexpr TGIFDrawOptions kDefault = 0x068F;
}  // namespace gif_draw

// A frame stretched into a place on a canvas, only the part of it that
// lands on the canvas: the frame's indices there with its palette, and one
// bit a pixel set where the frame is transparent (none when no pixel is).
struct GifFrameRaster {
  platform::Rect area;      // on the canvas; empty when nothing lands there
  platform::Bitmap pixels;  // Indexed8, the area's size
  std::optional<platform::Bitmap> mask;

  std::size_t Bytes() const;
  // Puts the pixels at `area` moved by (dx, dy); with `transparent` the
  // masked ones leave the canvas as it is.
  void Draw(platform::Canvas& canvas, bool transparent, int dx = 0, int dy = 0) const;
};

// One frame: the extensions before it, its descriptor and local table, and
// its image data as the file holds it. A frame made of extensions only has
// no image and is empty.
class TGIFSubImage {
 public:
  explicit TGIFSubImage(const TGIFImage& image) : image_(image) {}
  TGIFSubImage(const TGIFSubImage&) = delete;
  TGIFSubImage& operator=(const TGIFSubImage&) = delete;

  // Reads the frame's extensions and, when one follows, its image, which is
  // decoded once to check it (the decoded pixels are charged to the
  // context's budget, not kept).
  void LoadFromReader(GifReader& in, GifLoadContext& context);

  bool Empty() const { return Width() == 0 || Height() == 0; }
  bool HasImage() const { return has_image_; }
  const TGIFImageDescriptor& Descriptor() const { return descriptor_; }
  int Left() const { return descriptor_.left; }
  int Top() const { return descriptor_.top; }
  int Width() const { return descriptor_.width; }
  int Height() const { return descriptor_.height; }
  bool Interlaced() const { return descriptor_.flags & kGifInterlacedFlag; }
  const TGIFLocalColorMap& ColorMap() const { return color_map_; }
  const TGIFExtensionList& Extensions() const { return extensions_; }
  // The first graphic control extension of the frame, if any.
  const TGIFGraphicControlExtension* GraphicControlExtension() const { return graphic_control_; }
  bool Transparent() const { return transparent_; }
  // What the pixels the data does not reach show: the transparent index of
  // a transparent frame, else 0.
  std::uint8_t Fill() const;
  // The code-size byte and data sub-blocks, as far as decoding read them.
  std::size_t DataBytes() const { return data_.size(); }

  // The table the frame is drawn with: its own, else the global one, else
  // the first frame's. Raises "No global or local color table defined" when
  // there is none.
  const TGIFColorMap& ActiveColorMap() const;

  // The frame stretched into `place` (nearest neighbour, as a canvas
  // stretches), the part inside `clip` only. Decodes the frame; memory and
  // work beside the decoding follow the part rendered. Touches nothing but
  // the frame's own data, so the painter's thread may call it.
  GifFrameRaster Render(const platform::Rect& place, const platform::Rect& clip) const;

  // Where the frame lands when the logical screen is drawn into `rect`.
  platform::Rect ScaleRect(const platform::Rect& rect) const;
  // Draws the frame into `rect` as the logical screen would be drawn there,
  // or, with `tile`, unscaled in every screen-sized cell of `rect`. With
  // `transparent` the masked pixels leave the canvas as it is.
  void Draw(platform::Canvas& canvas, const platform::Rect& rect, bool tile, bool transparent) const;

 private:
  const TGIFImage& image_;
  TGIFImageDescriptor descriptor_;
  bool has_image_ = false;
  TGIFLocalColorMap color_map_;
  TGIFExtensionList extensions_;
  const TGIFGraphicControlExtension* graphic_control_ = nullptr;
  bool transparent_ = false;
  std::vector<std::uint8_t> data_;
};

// The frames in file order.
class TGIFImageList {
 public:
  int Count() const { return static_cast<int>(frames_.size()); }
  TGIFSubImage& operator[](int i) { return *frames_[static_cast<std::size_t>(i)]; }
  const TGIFSubImage& operator[](int i) const { return *frames_[static_cast<std::size_t>(i)]; }
  void Add(std::unique_ptr<TGIFSubImage> frame) { frames_.push_back(std::move(frame)); }
  void Clear() { frames_.clear(); }

 private:
  std::vector<std::unique_ptr<TGIFSubImage>> frames_;
};

class TGIFImage : public TGraphic {
 public:
  TGIFImage();
  // Stops the animation first.
  ~TGIFImage() override;

  // (sender, severity, message); every warning here has severity 1.
  using TGIFWarningEvent = std::function<void(const void* sender, int severity, const std::string& message)>;

  // Still images draw their frame at once. With more than one frame (and
  // AnimateFrames, AnimateOnThread) a painter plays the frames into a copy of
  // the logical screen, seeded from the target so that its background shows
  // through, and every draw stretches that copy into `rect`. The painter is
  // started once per target, which is the canvas's size with `rect`: every
  // repaint of one widget is the same target, even on a fresh canvas. An
  // error that ended the painter is raised by the next draw, once.
  void Draw(platform::Canvas& canvas, const platform::Rect& rect) override;
  bool GetEmpty() const override { return images_.Count() == 0; }
  // The logical screen, grown to hold every frame.
  int GetWidth() const override { return width_; }
  int GetHeight() const override { return height_; }
  bool GetTransparent() const override;
  // Takes the rest of the stream; on an error the stream is put back where
  // it stood and the image is left empty.
  void LoadFromStream(std::istream& stream) override;
  // Past the limits the frames read so far are kept, when there are any: a
  // large animation plays what fits, at least its first frame.
  void LoadFromBytes(GifBytes bytes, GifLoadLimits limits = {});
  // Stops the animation; frees every frame, the tables and the caches.
  void Clear();

  // Stops the painter and waits for it, serving its hand-over queue
  // meanwhile; frees the animation's copy of the screen. The next draw
  // starts again from the first frame. User-interface thread only.
  void StopDraw();
  // As StopDraw, and forgets an error the painter left.
  void PaintStop();
  // A painter is playing the frames.
  bool Animating() const;
  // What the animation holds beside the frames: the copy of the screen the
  // painter plays into, the painter's buffers and the frames it keeps
  // rendered, all the size the preview shows the image at. 0 while nothing
  // plays.
  std::size_t AnimationBytes() const;
  // What loading kept, as its budget counts it: the frames' image data as
  // the file holds it, tables, extensions and the cost of each.
  std::size_t LoadedBytes() const { return loaded_bytes_; }
  // Where painters hand their paints over and what they keep time by; the
  // user-interface thread's queue and the steady clock unless set.
  void SetAnimationServices(HandOverQueue& queue, AnimationClock& clock);

  const TGIFHeader& Header() const { return header_; }
  const TGIFGlobalColorMap& GlobalColorMap() const { return header_.color_map; }
  TGIFImageList& Images() { return images_; }
  const TGIFImageList& Images() const { return images_; }

  TGIFDrawOptions DrawOptions() const { return draw_options_; }
  void SetDrawOptions(TGIFDrawOptions options) { draw_options_ = options; }
  int AnimationSpeed() const { return animation_speed_; }  // percent
  void SetAnimationSpeed(int percent) { animation_speed_ = percent; }
  // Shown instead of the GIF's own background colour; none by default.
  const std::optional<platform::Rgba>& BackgroundColor() const { return background_color_; }
  void SetBackgroundColor(std::optional<platform::Rgba> colour) { background_color_ = colour; }
  // The frame a still draw shows; -1 (the default) or an index past the
  // frames shows frame 0.
  int ForceFrame() const { return force_frame_; }
  void SetForceFrame(int index) { force_frame_ = index; }

  void SetOnWarning(TGIFWarningEvent handler) { on_warning_ = std::move(handler); }
  void Warning(const void* sender, int severity, const std::string& message) const;

 private:
  void Parse(GifBytes bytes, GifLoadLimits limits);
  void GrowScreen();
  void DrawStill(platform::Canvas& canvas, const platform::Rect& rect);
  const TGIFSubImage* StillFrame() const;
  void StartAnimation(const platform::Canvas& canvas, const platform::Rect& rect);
  void DrawAnimation(platform::Canvas& canvas, const platform::Rect& rect) const;

  // What a painter paints for: the canvas's size and the rectangle.
  struct Target {
    int width = 0, height = 0;
    platform::Rect rect;
    friend bool operator==(const Target&, const Target&) = default;
  };

  TGIFHeader header_;
  int width_ = 0, height_ = 0;
  TGIFImageList images_;
  TGIFDrawOptions draw_options_ = gif_draw::kDefault;
  int animation_speed_ = 100;
  std::optional<platform::Rgba> background_color_;
  int force_frame_ = -1;
  bool drawing_ = false;
  std::size_t loaded_bytes_ = 0;

  // The still frame as last drawn, for the repaints that follow; at most the
  // canvas's size.
  struct StillRaster {
    const TGIFSubImage* frame = nullptr;
    platform::Rect place, clip;
    GifFrameRaster raster;
  };
  std::optional<StillRaster> still_;
  TGIFWarningEvent on_warning_;

  // The animation, all of it the user-interface thread's: the painter thread
  // never touches these, so stopping holds no lock while it waits.
  HandOverQueue* hand_over_;
  AnimationClock* clock_;
  std::unique_ptr<TGIFPainter> painter_;
  std::optional<platform::Canvas> screen_;  // what the painter paints into
  Target screen_target_;
  std::exception_ptr painter_error_;
};

// Adds "gif".
void RegisterGifFormats(TFileFormatsList& formats);

}  // namespace plendo::preview
