#pragma once
// The settings panel's decisions that need no window: where it opens, and
// which of the size list's add and delete buttons a typed size allows.
#include <QPoint>
#include <QRect>
#include <QSize>
#include <string>
#include <vector>

namespace plendo::app {

// Where the panel opens when it does not keep its stored position: 120 below
// and 100 right of the main panel, or as far above / left of it when that
// would leave the virtual screen. Returns (left, top).
QPoint DefaultSettingsPanelPosition(QPoint mainTopLeft, const QRect& virtualScreen,
                                    QSize panelOuterSize);

// The add and delete buttons for the text of the size edit box: a whole
// number above 0, not yet (add) or already (delete) in the list, letter case
// ignored. `canonical` is its plain decimal form (0100 -> 100, +5 -> 5).
struct SizeEditState {
  bool insertEnabled = false;
  bool deleteEnabled = false;
  std::string canonical;
};
SizeEditState EvaluateSizeEdit(const std::string& text, const std::vector<std::string>& items);

// Index of the first item equal to `text`, letter case ignored; -1 for none.
int IndexOfIgnoringCase(const std::vector<std::string>& items, const std::string& text);

}  // namespace plendo::app
