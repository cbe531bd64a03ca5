#include "preview/GifPainter.h"

#include <algorithm>
#include <cstring>
#include <limits>

namespace plendo::preview {
namespace {

using platform::Canvas;
using platform::Rect;
using std::chrono::milliseconds;

// Disposal values as the painter knows them; the reserved 4 to 7 leave the
// frame in place, as 1 does.
enum Disposal { kNone = 0, kKeep = 1, kBackground = 2, kPrevious = 3 };
int Known(int disposal) { return disposal > kPrevious ? kKeep : disposal; }

Canvas CopyOf(const Canvas& from) {
  Canvas copy(from.Width(), from.Height());
  copy.Pixels() = from.Pixels().Clone();
  return copy;
}

// `area` of `from` into the same place of `to`; both Bgra32 of one size.
void CopyArea(Canvas& to, const Canvas& from, Rect area) {
  area.left = std::max(area.left, 0);
  area.top = std::max(area.top, 0);
  area.right = std::min({area.right, to.Width(), from.Width()});
  area.bottom = std::min({area.bottom, to.Height(), from.Height()});
  if (area.Empty()) return;
  const auto offset = static_cast<std::size_t>(area.left) * 4, bytes = static_cast<std::size_t>(area.Width()) * 4;
  for (int y = area.top; y < area.bottom; ++y)
    std::memcpy(to.Pixels().Row(y) + offset, from.Pixels().Row(y) + offset, bytes);
}

void CopyAll(Canvas& to, const Canvas& from) { CopyArea(to, from, to.ClientRect()); }

// The image's own colour override; else the GIF's background entry; a GIF
// without a global table shows the window colour.
platform::Rgba BackgroundOf(const TGIFImage& image) {
  if (image.BackgroundColor()) return *image.BackgroundColor();
  const auto& table = image.GlobalColorMap().entries;
  if (table.empty()) return {255, 255, 255, 255};
  const std::size_t index = image.Header().background;
  if (index >= table.size()) return {0, 0, 0, 255};
  return {table[index].r, table[index].g, table[index].b, 255};
}

}  // namespace

TGIFPainter::TGIFPainter(TGIFImage& image, Canvas& target, HandOverQueue& queue, AnimationClock& clock)
    : image_(image),
      target_(target),
      queue_(queue),
      clock_(clock),
      options_(image.DrawOptions()),
      speed_(image.AnimationSpeed()),
      background_(BackgroundOf(image)),
      area_(target.ClientRect()),
      rasters_(static_cast<std::size_t>(image.Images().Count())) {
  if (image.Images().Count() <= 1) options_ &= ~(gif_draw::AnimateOnThread | gif_draw::AnimateFrames);
  // The buffers follow from the disposals the frames use.
  unsigned used = options_ & gif_draw::ClearOnRestart ? 1u << kBackground : 0u;
  for (int i = 0; i < image.Images().Count(); ++i)
    for (const auto& extension : image.Images()[i].Extensions())
      if (const auto* control = dynamic_cast<const TGIFGraphicControlExtension*>(extension.get()))
        used |= 1u << control->Disposal();
  const bool background = used & 1u << kBackground, previous = used & 1u << kPrevious;
  if (background && (options_ & gif_draw::HonourTransparency)) snapshot_ = CopyOf(target);
  if (background || previous) {
    backup_ = CopyOf(target);
    frame_buffer_.emplace(target.Width(), target.Height());
    frame_buffer_->Fill(frame_buffer_->ClientRect(), background_);
  }
}

std::size_t TGIFPainter::BufferBytes() const {
  std::size_t bytes = 0;
  for (const auto* buffer : {&snapshot_, &backup_, &frame_buffer_})
    if (*buffer) bytes += (*buffer)->Pixels().Stride() * static_cast<std::size_t>((*buffer)->Height());
  return bytes + raster_bytes_;
}

TGIFPainter::~TGIFPainter() {
  Stop();
  WaitForEnd();
}

void TGIFPainter::Start() {
  if (!thread_.joinable() && !ended_) thread_ = std::thread([this] { Execute(); });
}

void TGIFPainter::Stop() {
  stop_ = true;
  wake_.Set();
}

void TGIFPainter::WaitForEnd() {
  while (thread_.joinable() && !ended_) queue_.WaitAndServe();
  if (thread_.joinable()) thread_.join();
}

void TGIFPainter::WaitForFirstFrame() {
  while (thread_.joinable() && !started_ && !ended_) queue_.WaitAndServe();
}

// ---- painter thread

void TGIFPainter::Execute() {
  try {
    const TGIFImageList& frames = image_.Images();
    const bool animate = options_ & gif_draw::AnimateFrames;
    const bool repeat = animate && (options_ & gif_draw::RepeatAnimation);
    const bool forever = options_ & gif_draw::RepeatForever;
    int loops = 1, loop_start = 0;  // loops < 0: without end
    bool loop_seen = false;
    pending_delay_ = 0;  // the first frame at once
    last_time_ = clock_.Now();
    while ((loops != 0 || forever) && !stop_) {
      int painted = 0;
      for (int active = loop_start; animate && active < frames.Count() && !stop_ && !frames[active].Empty(); ++active) {
        WaitBefore(active);
        if (stop_) break;
        int disposal = kKeep;
        for (const auto& extension : frames[active].Extensions()) {
          if (const auto* loop = dynamic_cast<const TGIFAppExtNSLoop*>(extension.get())) {
            if (loop_seen) continue;
            loop_seen = true;
            loops = loop->LoopCount() == 0 || forever ? -1 : loop->LoopCount();
            loop_start = active;
          } else if (const auto* control = dynamic_cast<const TGIFGraphicControlExtension*>(extension.get())) {
            disposal = control->Disposal();
          }
        }
        queue_.Run([this, active, disposal] { Paint(active, disposal); });
        ++painted;
        const auto* control = frames[active].GraphicControlExtension();
        pending_delay_ = control && control->Delay() != 0 ? std::max(control->Delay(), kGifMinimumDelay) : kGifDefaultDelay;
      }
      if (loops > 0) --loops;
      // A pass that paints nothing would spin.
      if (!repeat || painted == 0) break;
    }
  } catch (...) {
    thread_error_ = std::current_exception();
  }
  // The last touch of this object on this thread.
  queue_.Post([this] { Terminated(); });
}

// Sleeps out the previous frame's delay, corrected by half the time the last
// cycle ran over its wait, so painting time does not pile up in the pace.
void TGIFPainter::WaitBefore(int frame) {
  if (pending_delay_ < 1) {
    std::this_thread::yield();
    return;
  }
  Render(frame);  // now rather than after the wait
  const AnimationClock::TimePoint now = clock_.Now();
  std::optional<AnimationClock::TimePoint> deadline;
  bool sleep = true;
  if (speed_ > 0) {
    const std::int64_t elapsed = std::chrono::duration_cast<milliseconds>(now - last_time_).count() - last_wait_.count();
    const std::int64_t due = std::clamp<std::int64_t>(std::int64_t{pending_delay_} * kGifDelayUnitMs - elapsed / 2,
                                                      std::numeric_limits<int>::min() / 2, std::numeric_limits<int>::max() / 2);
    const int wait = MulDiv(static_cast<int>(due), 100, speed_);
    last_wait_ = milliseconds(wait);
    sleep = wait > 0;
    deadline = now + milliseconds(wait);
  }
  // Speed 0 or below: the frame stays until the painter is stopped.
  last_time_ = now;
  if (sleep && clock_.WaitOn(wake_, deadline)) {
    last_wait_ = milliseconds(0);
    last_time_ = clock_.Now();
  }
}

// ---- either thread, in turn

// Tiles are drawn cell by cell by the frame itself and never rendered ahead.
void TGIFPainter::Render(int index) {
  auto& raster = rasters_[static_cast<std::size_t>(index)];
  if (raster || (options_ & gif_draw::TileImage)) return;
  const TGIFSubImage& frame = image_.Images()[index];
  raster = frame.Render(frame.ScaleRect(area_), area_);
  raster_bytes_ += raster->Bytes();
}

// ---- serving thread

void TGIFPainter::Paint(int index, int disposal) {
  if (stop_) return;
  Render(index);
  if (backup_)
    PaintFrame(index, disposal);
  else
    DrawFrame(index, target_);
  // The first frames are kept; the rest are rendered again at every pass.
  auto& raster = rasters_[static_cast<std::size_t>(index)];
  if (raster && raster_bytes_ > kGifKeptFrameBytes) {
    raster_bytes_ -= raster->Bytes();
    raster.reset();
  }
  started_ = true;
  if (on_paint_) on_paint_();
}

void TGIFPainter::DrawFrame(int index, Canvas& surface) {
  const bool transparent = options_ & gif_draw::HonourTransparency;
  if (const auto& raster = rasters_[static_cast<std::size_t>(index)])
    raster->Draw(surface, transparent);
  else
    image_.Images()[index].Draw(surface, surface.ClientRect(), true, transparent);
}

// Where a frame is drawn depends on its disposal d and the previous frame's
// p: over the backup (d 0, 1, 2; a 2 clears its area from the backup
// afterwards), straight onto the target when the backup already holds the
// picture to return to (d 3 after 0 or 1), else over a copy of the backup in
// the frame buffer (d 3 after 2 or 3).
void TGIFPainter::PaintFrame(int index, int disposal) {
  const int d = Known(disposal), p = Known(previous_disposal_);
  previous_disposal_ = disposal;
  const TGIFSubImage& frame = image_.Images()[index];
  if ((options_ & gif_draw::ClearOnRestart) && index == 0) RestoreBackground(frame);
  if (d != kPrevious) {
    DrawFrame(index, *backup_);
    CopyAll(target_, *backup_);
    if (d == kBackground) RestoreBackground(frame);
  } else if (p == kNone || p == kKeep) {
    DrawFrame(index, target_);
  } else {
    CopyAll(*frame_buffer_, *backup_);
    DrawFrame(index, *frame_buffer_);
    CopyAll(target_, *frame_buffer_);
  }
}

// The frame's area of the backup back to the background: the snapshot taken
// at the start where transparency shows it, else the background colour.
void TGIFPainter::RestoreBackground(const TGIFSubImage& frame) {
  auto restore = [&](const Rect& area) {
    if (snapshot_)
      CopyArea(*backup_, *snapshot_, area);
    else
      backup_->Fill(area, background_);
  };
  const Rect whole = backup_->ClientRect();
  const int sw = image_.GetWidth(), sh = image_.GetHeight();
  const bool cells = (options_ & gif_draw::TileImage) && sw > 0 && sh > 0 &&
                     (snapshot_ || (frame.Width() < sw && frame.Height() < sh));
  if (!cells) {
    restore(frame.ScaleRect(whole));
    return;
  }
  for (int y = whole.top; y < whole.bottom; y += sh)
    for (int x = whole.left; x < whole.right; x += sw)
      restore({x + frame.Left(), y + frame.Top(), x + frame.Left() + frame.Width(), y + frame.Top() + frame.Height()});
}

void TGIFPainter::Terminated() {
  ended_ = true;
  error_ = thread_error_;
  snapshot_.reset();
  backup_.reset();
  frame_buffer_.reset();
  rasters_.clear();
  raster_bytes_ = 0;
  if (!stop_ && on_end_) on_end_();
}

}  // namespace plendo::preview
