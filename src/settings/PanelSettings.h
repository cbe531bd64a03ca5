#pragma once
// What the main panel keeps in the settings file besides AppSettings: its
// place, the output folder, the size box and its side, its window style.
#include <cstdint>
#include <string>
#include <vector>

#include "settings/SizeList.h"

namespace plendo::settings {

inline constexpr std::int32_t kPanelStyleNormal = 0;
inline constexpr std::int32_t kPanelStyleTopmost = 3;

// What the main panel itself keeps besides AppSettings.
struct MainPanelSettings {
  std::int32_t Top = 100;
  std::int32_t Left = 100;
  std::string WOPath;
  std::vector<std::string> RSize = DefaultSizeList();  // the size box's items
  std::int32_t GSize = -1;                             // selected item; -1 none
  bool RGL = true;                                     // size applies to: long side
  bool RGW = false;                                    //   width
  bool RGV = false;                                    //   height
  std::int32_t PanelStyle = kPanelStyleTopmost;        // 0 normal, 3 always on top

  bool StaysOnTop() const { return PanelStyle != kPanelStyleNormal; }
  // 0 long side, 1 width, 2 height: the flags applied to the radio buttons in
  // the order RGL, RGW, RGV (a later checked one wins); none checked: long side.
  int SideIndex() const;
};

}  // namespace plendo::settings
