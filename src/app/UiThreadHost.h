#pragma once
// The panel as the batch's thread sees it. Every call is handed to the
// user-interface thread, runs there in the order made, and returns once it
// has run (what it throws is thrown here), so the engine sees the panel just
// as if the batch ran on the panel's own thread, while that thread stays free
// to repaint, move the window and take the abort button at any moment.
// Called on the user-interface thread itself, a call runs at once.
#include <thread>

#include "engine/PanelHost.h"

namespace plendo::app {

class UiThreadHost : public engine::PanelHost {
 public:
  // Made on the user-interface thread; `panel` lives there.
  explicit UiThreadHost(engine::PanelHost& panel);

  void ShowMonitorMessage(engine::Colour colour, const std::string& text) override;
  void ClearMonitorMessage() override;
  bool IsActualSize() const override;
  std::string SizeText() const override;
  engine::SizeSide Side() const override;
  std::string WOPath() const override;
  void LightOn(engine::Lamp lamp) override;
  void LightOff(engine::Lamp lamp) override;
  void SetLampStatus(engine::Lamp lamp, bool on) override;
  void SetSizeCaption(const std::string& text) override;
  void LoadPreview(const std::filesystem::path& path, std::unique_ptr<preview::TGraphic> prepared) override;
  preview::PreviewArea PreviewArea() const override;
  void ClearPreview() override;
  void SetTermCaption(const std::string& caption, bool focus) override;
  void ChangeButtonsEnabled(bool enabled) override;
  // From the batch's thread nothing to do: the panel runs its messages all along.
  void ProcessPendingMessages() override;
  void KeepResponsive() override;
  void Beep() override;
  void OutputWritten(const std::filesystem::path& output) override;

 private:
  bool OnUiThread() const { return std::this_thread::get_id() == ui_thread_; }
  template <class Call>
  auto OnUi(Call call) const -> decltype(call());

  engine::PanelHost& panel_;
  std::thread::id ui_thread_;
};

}  // namespace plendo::app
