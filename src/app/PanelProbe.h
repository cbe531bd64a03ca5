#pragma once
// A measuring aid for the panel benchmark (bench/panel.sh), off unless the
// environment names a report file in PLENDO_PANEL_PROBE. While a batch runs
// it watches how late a timer on the panel's thread fires, which is how long
// that thread was kept from its messages; with PLENDO_PANEL_PROBE_STOP_MS it
// also presses the end button that long into a batch and times how soon the
// batch shows its end. One line per batch is appended to the report.
#include <QObject>
#include <QTimer>
#include <chrono>
#include <memory>
#include <string>

namespace plendo::app {

class TMFORM;

class PanelProbe : public QObject {
 public:
  // Null unless the environment asks for a probe.
  static std::unique_ptr<PanelProbe> FromEnvironment(TMFORM& panel);
  PanelProbe(TMFORM& panel, std::string report, int stop_after_ms);

 private:
  using Clock = std::chrono::steady_clock;
  void Tick();
  void BatchEnded();

  TMFORM& panel_;
  std::string report_;
  int stop_after_ms_;
  QTimer timer_;
  Clock::time_point last_tick_;
  bool in_batch_ = false;
  Clock::time_point batch_start_, stop_pressed_;
  double worst_lateness_ms_ = 0;
  double stop_ms_ = -1;
  bool stop_sent_ = false;
};

}  // namespace plendo::app
