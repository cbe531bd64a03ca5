#pragma once
// The language the panel speaks, and its translation installed while the
// panel runs.
#include <QString>
#include <QTranslator>
#include <cstdint>
#include <optional>

#include "platform/Language.h"

namespace plendo::app {

// `plendo --lang` when given, else the Language setting: Japanese (also for
// a value the panel does not know), English, or the desktop's locale.
platform::Language PanelLanguage(std::optional<platform::Language> commandLine, std::int32_t setting,
                                 const platform::EnvironmentLookup& env);

// Where the built or installed program keeps its .qm files:
// share/plendo/translations beside its bin folder.
QString TranslationsFolder();

// Installs the panel's texts in `language` in the application for its
// lifetime: English from plendo_en.qm in `folder` (the Japanese source texts
// stay when it cannot be loaded); Qt's own dialogs and buttons in the same
// language, Japanese from Qt's translations where they are installed.
class PanelTranslation {
 public:
  PanelTranslation(platform::Language language, const QString& folder);
  ~PanelTranslation();
  PanelTranslation(const PanelTranslation&) = delete;
  PanelTranslation& operator=(const PanelTranslation&) = delete;

  // False when the English translation was asked for and not found.
  bool Loaded() const { return loaded_; }

 private:
  QTranslator own_;
  QTranslator qt_;
  bool loaded_ = true;
};

}  // namespace plendo::app
