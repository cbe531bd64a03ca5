#pragma once
// Plays an animated GIF. One painter thread per animation only keeps time:
// it walks the frames with their delays and loop count, renders the next
// frame at the target's size before it waits, and hands every paint to the
// serving (user-interface) thread through a HandOverQueue. Everything it paints into
// (the target and its own buffers) belongs to that thread, which alone
// creates, paints, stops and destroys the painter.
#include <atomic>
#include <exception>
#include <functional>
#include <optional>
#include <thread>
#include <vector>

#include "platform/Canvas.h"
#include "preview/GifImage.h"
#include "preview/GifPainterClock.h"
#include "preview/HandOver.h"

namespace plendo::preview {

// The delay rules, in units of 12 ms.
inline constexpr int kGifDelayUnitMs = 12;
inline constexpr int kGifDefaultDelay = 10;
inline constexpr int kGifMinimumDelay = 3;

// Frames rendered at the target's size are kept for the next pass while they
// take no more than this together; the others are rendered at every pass.
inline constexpr std::size_t kGifKeptFrameBytes = std::size_t{64} << 20;

class TGIFPainter {
 public:
  // Paints `image`'s frames over the whole of `target`, whose picture at
  // this moment is the background that transparent parts show. Both must
  // outlive the painter. Options, speed and background colour are taken from
  // the image now.
  TGIFPainter(TGIFImage& image, platform::Canvas& target, HandOverQueue& queue, AnimationClock& clock);
  // Stops, serves the queue until the painter has ended, joins.
  ~TGIFPainter();
  TGIFPainter(const TGIFPainter&) = delete;
  TGIFPainter& operator=(const TGIFPainter&) = delete;

  void Start();
  // Asks the thread to end and cuts its wait short; never waits.
  void Stop();
  // Serves the queue until the painter has ended, then joins its thread.
  void WaitForEnd();
  // Serves the queue until the first frame is painted or the painter ended.
  void WaitForFirstFrame();

  // Serving thread only.
  bool Started() const { return started_; }
  bool Ended() const { return ended_; }
  // The bytes of the buffers it paints through (background snapshot, backup
  // and frame buffer, each the size of the target) and of the frames it
  // holds rendered.
  std::size_t BufferBytes() const;
  // What ended the painter, when not a stop or the last pass.
  std::exception_ptr Error() const { return error_; }

  // Serving thread: after every painted frame, and when the painter ends by
  // itself (not by Stop).
  void SetOnPaint(std::function<void()> handler) { on_paint_ = std::move(handler); }
  void SetOnEnd(std::function<void()> handler) { on_end_ = std::move(handler); }

 private:
  void Execute();
  void WaitBefore(int frame);
  void Render(int frame);
  void Paint(int frame, int disposal);
  void DrawFrame(int frame, platform::Canvas& surface);
  void PaintFrame(int frame, int disposal);
  void RestoreBackground(const TGIFSubImage& frame);
  void Terminated();

  TGIFImage& image_;
  platform::Canvas& target_;
  HandOverQueue& queue_;
  AnimationClock& clock_;
  TGIFDrawOptions options_;
  int speed_;
  platform::Rgba background_;
  const platform::Rect area_;  // the target's, read by both threads

  // Each frame rendered onto the target: by the painter thread before the
  // frame's wait, or at its paint; the hand-over orders the two. Kept while
  // under kGifKeptFrameBytes, else dropped once painted.
  std::vector<std::optional<GifFrameRaster>> rasters_;
  std::atomic<std::size_t> raster_bytes_{0};

  // Serving thread only.
  std::optional<platform::Canvas> snapshot_, backup_, frame_buffer_;
  int previous_disposal_ = 1;
  bool started_ = false, ended_ = false;
  std::exception_ptr error_;
  std::function<void()> on_paint_, on_end_;

  // Painter thread only.
  int pending_delay_ = 0;
  AnimationClock::TimePoint last_time_;
  std::chrono::milliseconds last_wait_{0};
  std::exception_ptr thread_error_;

  std::atomic<bool> stop_{false};
  AutoResetEvent wake_;
  std::thread thread_;
};

}  // namespace plendo::preview
