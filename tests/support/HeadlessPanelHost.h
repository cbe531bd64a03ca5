#pragma once
// A panel without a window for driving the engine in tests. It records what
// the engine shows (messages with their colours, lamp changes, captions,
// beeps) and answers the engine's questions from public fields.
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "engine/PanelHost.h"
#include "platform/Beep.h"

namespace plendo::test {

class HeadlessPanelHost : public engine::PanelHost {
 public:
  // Installs itself as the beep handler for its lifetime, so beeps of the
  // engine and of red messages are counted alike.
  HeadlessPanelHost();
  ~HeadlessPanelHost() override;
  HeadlessPanelHost(const HeadlessPanelHost&) = delete;
  HeadlessPanelHost& operator=(const HeadlessPanelHost&) = delete;

  // What the engine asks.
  std::string size_text = "640";
  engine::SizeSide side = engine::SizeSide::LongSide;
  std::string wo_path;
  // Throws to make the preview fail for a path; by default the preview
  // fails only for paths that are not regular files.
  std::function<void(const std::filesystem::path&)> preview_loader;
  // Not empty: the workers make each file's preview picture at this size,
  // kept in `shown` (null where the host was to load the file itself).
  preview::PreviewArea preview_area;
  std::vector<std::unique_ptr<preview::TGraphic>> shown;
  // Runs at every ProcessPendingMessages: where a test clicks the end button.
  std::function<void()> on_pending_messages;

  // What the engine showed, in order, one line per event:
  //   "message red|gray|r,g,b <text>", "clear message", "lamp on R|E|W",
  //   "lamp off R|E|W", "lamp status E 0|1", "size <text>", "preview <path>",
  //   "clear preview", "term <caption>", "buttons 0|1", "pending", "beep"
  std::vector<std::string> events;
  std::vector<std::pair<engine::Colour, std::string>> messages;
  std::vector<std::string> previews;
  std::string monitor_text;
  engine::Colour monitor_colour{};
  std::string size_caption;
  std::string term_caption = "終了";
  bool buttons_enabled = true;
  int beeps = 0;
  int pending_calls = 0;
  bool lamp_lit[3] = {false, false, false};

  bool Lit(engine::Lamp lamp) const { return lamp_lit[static_cast<int>(lamp)]; }
  // The events whose line starts with `prefix`, in order.
  std::vector<std::string> EventsStartingWith(const std::string& prefix) const;
  // The text of the last red message; empty when none was shown.
  std::string LastError() const;

  void ShowMonitorMessage(engine::Colour colour, const std::string& text) override;
  void ClearMonitorMessage() override;
  bool IsActualSize() const override { return size_text == "原寸"; }
  std::string SizeText() const override { return size_text; }
  engine::SizeSide Side() const override { return side; }
  std::string WOPath() const override { return wo_path; }
  void LightOn(engine::Lamp lamp) override;
  void LightOff(engine::Lamp lamp) override;
  void SetLampStatus(engine::Lamp lamp, bool on) override;
  void SetSizeCaption(const std::string& text) override;
  void LoadPreview(const std::filesystem::path& path, std::unique_ptr<preview::TGraphic> prepared) override;
  preview::PreviewArea PreviewArea() const override { return preview_area; }
  void ClearPreview() override;
  void SetTermCaption(const std::string& caption, bool focus) override;
  void ChangeButtonsEnabled(bool enabled) override;
  void ProcessPendingMessages() override;

 private:
  platform::BeepHandler previous_beep_;
};

}  // namespace plendo::test
