#include "app/UiThreadHost.h"

#include <optional>
#include <type_traits>

#include "preview/HandOver.h"

namespace plendo::app {

UiThreadHost::UiThreadHost(engine::PanelHost& panel) : panel_(panel), ui_thread_(std::this_thread::get_id()) {}

template <class Call>
auto UiThreadHost::OnUi(Call call) const -> decltype(call()) {
  using Result = decltype(call());
  if (OnUiThread()) return call();
  if constexpr (std::is_void_v<Result>) {
    preview::MainHandOver().Run(call);
  } else {
    std::optional<Result> result;
    preview::MainHandOver().Run([&] { result.emplace(call()); });
    return std::move(*result);
  }
}

void UiThreadHost::ShowMonitorMessage(engine::Colour colour, const std::string& text) {
  OnUi([&] { panel_.ShowMonitorMessage(colour, text); });
}
void UiThreadHost::ClearMonitorMessage() {
  OnUi([&] { panel_.ClearMonitorMessage(); });
}
bool UiThreadHost::IsActualSize() const {
  return OnUi([&] { return panel_.IsActualSize(); });
}
std::string UiThreadHost::SizeText() const {
  return OnUi([&] { return panel_.SizeText(); });
}
engine::SizeSide UiThreadHost::Side() const {
  return OnUi([&] { return panel_.Side(); });
}
std::string UiThreadHost::WOPath() const {
  return OnUi([&] { return panel_.WOPath(); });
}
void UiThreadHost::LightOn(engine::Lamp lamp) {
  OnUi([&] { panel_.LightOn(lamp); });
}
void UiThreadHost::LightOff(engine::Lamp lamp) {
  OnUi([&] { panel_.LightOff(lamp); });
}
void UiThreadHost::SetLampStatus(engine::Lamp lamp, bool on) {
  OnUi([&] { panel_.SetLampStatus(lamp, on); });
}
void UiThreadHost::SetSizeCaption(const std::string& text) {
  OnUi([&] { panel_.SetSizeCaption(text); });
}
void UiThreadHost::LoadPreview(const std::filesystem::path& path, std::unique_ptr<preview::TGraphic> prepared) {
  OnUi([&] { panel_.LoadPreview(path, std::move(prepared)); });
}
preview::PreviewArea UiThreadHost::PreviewArea() const {
  return OnUi([&] { return panel_.PreviewArea(); });
}
void UiThreadHost::ClearPreview() {
  OnUi([&] { panel_.ClearPreview(); });
}
void UiThreadHost::SetTermCaption(const std::string& caption, bool focus) {
  OnUi([&] { panel_.SetTermCaption(caption, focus); });
}
void UiThreadHost::ChangeButtonsEnabled(bool enabled) {
  OnUi([&] { panel_.ChangeButtonsEnabled(enabled); });
}
// Every call from the batch's thread has run by the time it returns, and the
// panel's thread runs its own messages all along: nothing is left to wait for.
void UiThreadHost::ProcessPendingMessages() {
  if (OnUiThread()) panel_.ProcessPendingMessages();
}
void UiThreadHost::KeepResponsive() {
  if (OnUiThread()) panel_.KeepResponsive();
}
void UiThreadHost::Beep() {
  OnUi([&] { panel_.Beep(); });
}
void UiThreadHost::OutputWritten(const std::filesystem::path& output) {
  OnUi([&] { panel_.OutputWritten(output); });
}

}  // namespace plendo::app
