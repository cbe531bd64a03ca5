#pragma once
// The panel's two faces, asked for by their usual names first and falling
// back to the Japanese fonts Linux has.
#include <QFont>

namespace plendo::app {

enum class Face { Gothic, Meiryo };  // "ＭＳ Ｐゴシック", "メイリオ"

QFont PanelFont(Face face, int pixelSize, bool bold = false);

}  // namespace plendo::app
