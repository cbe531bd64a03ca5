#include "app/PanelTexts.h"

#include <QCoreApplication>

#include <string_view>

#include "engine/EngineTexts.h"
#include "settings/SizeList.h"

namespace plendo::app {
namespace {

constexpr char kActualSize[] = QT_TRANSLATE_NOOP("plendo::app::TMFORM", "原寸");
static_assert(std::string_view(kActualSize) == settings::kActualSizeItem);

}  // namespace

QString EngineText(const std::string& text) {
  return QString::fromStdString(engine::TranslateEngineText(text, [](const char* source) {
    return QCoreApplication::translate("Engine", source).toStdString();
  }));
}

QString ShownSizeItem(const std::string& item) {
  return item == kActualSize ? QCoreApplication::translate("plendo::app::TMFORM", kActualSize)
                             : QString::fromStdString(item);
}

std::string StoredSizeItem(const QString& shown) {
  return shown == QCoreApplication::translate("plendo::app::TMFORM", kActualSize) ? std::string(kActualSize)
                                                                                  : shown.toStdString();
}

}  // namespace plendo::app
