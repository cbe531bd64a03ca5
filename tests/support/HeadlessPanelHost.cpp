#include "support/HeadlessPanelHost.h"

#include <stdexcept>
#include <system_error>

namespace plendo::test {
namespace {

const char* LampName(engine::Lamp lamp) {
  switch (lamp) {
    case engine::Lamp::Read: return "R";
    case engine::Lamp::Exif: return "E";
    case engine::Lamp::Write: return "W";
  }
  return "?";
}

std::string ColourName(engine::Colour c) {
  if (c == engine::kRed) return "red";
  if (c == engine::kGray) return "gray";
  return std::to_string(c.r) + "," + std::to_string(c.g) + "," + std::to_string(c.b);
}

}  // namespace

HeadlessPanelHost::HeadlessPanelHost() {
  previous_beep_ = platform::SetBeepHandler([this] {
    ++beeps;
    events.push_back("beep");
  });
}

HeadlessPanelHost::~HeadlessPanelHost() { platform::SetBeepHandler(std::move(previous_beep_)); }

std::vector<std::string> HeadlessPanelHost::EventsStartingWith(const std::string& prefix) const {
  std::vector<std::string> out;
  for (const auto& e : events)
    if (e.rfind(prefix, 0) == 0) out.push_back(e);
  return out;
}

std::string HeadlessPanelHost::LastError() const {
  for (auto it = messages.rbegin(); it != messages.rend(); ++it)
    if (it->first == engine::kRed) return it->second;
  return {};
}

void HeadlessPanelHost::ShowMonitorMessage(engine::Colour colour, const std::string& text) {
  ClearPreview();
  monitor_colour = colour;
  monitor_text = text;
  messages.emplace_back(colour, text);
  events.push_back("message " + ColourName(colour) + " " + text);
  if (colour == engine::kRed) platform::Beep();
}

void HeadlessPanelHost::ClearMonitorMessage() {
  monitor_text.clear();
  events.push_back("clear message");
}

void HeadlessPanelHost::LightOn(engine::Lamp lamp) {
  lamp_lit[static_cast<int>(lamp)] = true;
  events.push_back(std::string("lamp on ") + LampName(lamp));
}

void HeadlessPanelHost::LightOff(engine::Lamp lamp) {
  lamp_lit[static_cast<int>(lamp)] = false;
  events.push_back(std::string("lamp off ") + LampName(lamp));
}

void HeadlessPanelHost::SetLampStatus(engine::Lamp lamp, bool on) {
  lamp_lit[static_cast<int>(lamp)] = on;
  events.push_back(std::string("lamp status ") + LampName(lamp) + (on ? " 1" : " 0"));
}

void HeadlessPanelHost::SetSizeCaption(const std::string& text) {
  size_caption = text;
  events.push_back("size " + text);
}

void HeadlessPanelHost::LoadPreview(const std::filesystem::path& path, std::unique_ptr<preview::TGraphic> prepared) {
  events.push_back("preview " + path.string());
  if (prepared) {
    shown.push_back(std::move(prepared));
  } else if (preview_loader) {
    preview_loader(path);
  } else {
    std::error_code ec;
    if (!std::filesystem::is_regular_file(path, ec)) throw std::runtime_error("no preview");
  }
  previews.push_back(path.string());
}

void HeadlessPanelHost::ClearPreview() { events.push_back("clear preview"); }

void HeadlessPanelHost::SetTermCaption(const std::string& caption, bool) {
  term_caption = caption;
  events.push_back("term " + caption);
}

void HeadlessPanelHost::ChangeButtonsEnabled(bool enabled) {
  buttons_enabled = enabled;
  events.push_back(std::string("buttons ") + (enabled ? "1" : "0"));
}

void HeadlessPanelHost::ProcessPendingMessages() {
  ++pending_calls;
  events.push_back("pending");
  if (on_pending_messages) on_pending_messages();
}

}  // namespace plendo::test
