#include "app/PanelLanguage.h"

#include <QCoreApplication>
#include <QDir>
#include <QLibraryInfo>
#include <QLocale>

#include "settings/AppSettings.h"

namespace plendo::app {

platform::Language PanelLanguage(std::optional<platform::Language> commandLine, std::int32_t setting,
                                 const platform::EnvironmentLookup& env) {
  if (commandLine) return *commandLine;
  switch (setting) {
    case settings::kLanguageEnglish: return platform::Language::English;
    case settings::kLanguageDesktop: return platform::LocaleLanguage(env);
    default: return platform::Language::Japanese;
  }
}

QString TranslationsFolder() {
  return QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("../share/plendo/translations"));
}

PanelTranslation::PanelTranslation(platform::Language language, const QString& folder) {
  if (language == platform::Language::English) {
    loaded_ = own_.load(QStringLiteral("plendo_en"), folder);
    if (loaded_) QCoreApplication::installTranslator(&own_);
    return;  // Qt's own texts are English
  }
  if (qt_.load(QLocale(QLocale::Japanese, QLocale::Japan), QStringLiteral("qtbase"), QStringLiteral("_"),
               QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
    QCoreApplication::installTranslator(&qt_);
}

PanelTranslation::~PanelTranslation() {
  QCoreApplication::removeTranslator(&own_);
  QCoreApplication::removeTranslator(&qt_);
}

}  // namespace plendo::app
