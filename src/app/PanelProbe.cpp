#include "app/PanelProbe.h"

#include <QPushButton>
#include <cstdlib>
#include <fstream>

#include "app/TMFORM.h"
#include "engine/ResizeEngine.h"

namespace plendo::app {
namespace {

constexpr int kTickMs = 2;

double Milliseconds(std::chrono::steady_clock::duration d) {
  return std::chrono::duration<double, std::milli>(d).count();
}

}  // namespace

std::unique_ptr<PanelProbe> PanelProbe::FromEnvironment(TMFORM& panel) {
  const char* report = std::getenv("PLENDO_PANEL_PROBE");
  if (!report || !*report) return nullptr;
  const char* stop = std::getenv("PLENDO_PANEL_PROBE_STOP_MS");
  return std::make_unique<PanelProbe>(panel, report, stop ? std::atoi(stop) : 0);
}

PanelProbe::PanelProbe(TMFORM& panel, std::string report, int stop_after_ms)
    : panel_(panel), report_(std::move(report)), stop_after_ms_(stop_after_ms) {
  timer_.setTimerType(Qt::PreciseTimer);
  connect(&timer_, &QTimer::timeout, this, [this] { Tick(); });
  last_tick_ = Clock::now();
  timer_.start(kTickMs);
}

void PanelProbe::Tick() {
  const Clock::time_point now = Clock::now();
  const double late = Milliseconds(now - last_tick_) - kTickMs;
  last_tick_ = now;
  const bool running = panel_.BatchUnderWay();
  if (running && !in_batch_) {
    in_batch_ = true;
    batch_start_ = now;
    worst_lateness_ms_ = 0;
    stop_ms_ = -1;
    stop_sent_ = false;
    return;
  }
  if (!running) {
    if (in_batch_) BatchEnded();
    return;
  }
  if (late > worst_lateness_ms_) worst_lateness_ms_ = late;
  const bool says_end = panel_.btTERM->text() == QString::fromUtf8(engine::kCaptionEnd);
  if (stop_after_ms_ > 0 && !stop_sent_ && !says_end && Milliseconds(now - batch_start_) >= stop_after_ms_) {
    stop_sent_ = true;
    stop_pressed_ = now;
    panel_.btTERM->click();
  } else if (stop_sent_ && stop_ms_ < 0 && says_end) {
    stop_ms_ = Milliseconds(now - stop_pressed_);
  }
}

void PanelProbe::BatchEnded() {
  in_batch_ = false;
  std::ofstream out(report_, std::ios::app);
  out << "batch_ms=" << Milliseconds(Clock::now() - batch_start_) << " worst_lateness_ms=" << worst_lateness_ms_
      << " stop_ms=" << stop_ms_ << " written=" << panel_.Engine().OutputCount() << '\n';
}

}  // namespace plendo::app
