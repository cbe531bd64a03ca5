#include "app/PanelFonts.h"

#include <QStringList>

namespace plendo::app {

QFont PanelFont(Face face, int pixelSize, bool bold) {
  const QStringList fallbacks = {QStringLiteral("IPAPGothic"), QStringLiteral("Noto Sans CJK JP"),
                                 QStringLiteral("IPAGothic")};
  QStringList families = face == Face::Gothic
                             ? QStringList{QStringLiteral("ＭＳ Ｐゴシック"), QStringLiteral("MS PGothic")}
                             : QStringList{QStringLiteral("メイリオ"), QStringLiteral("Meiryo")};
  families += fallbacks;
  QFont font;
  font.setFamilies(families);
  font.setPixelSize(pixelSize);
  font.setBold(bold);
  return font;
}

}  // namespace plendo::app
