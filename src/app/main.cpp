// Program start: the application object, its title, the main panel, and the
// message loop until the panel closes.
#include <QApplication>
#include <memory>

#include "app/TMFORM.h"
#include "platform/Beep.h"
#include "settings/SettingsLocation.h"

int main(int argc, char* argv[]) {
  QApplication app(argc, argv);
  QCoreApplication::setApplicationName(QString::fromUtf8(plendo::app::kAppTitleAtStart));
  plendo::platform::SetBeepHandler([] { QApplication::beep(); });

  const auto location = plendo::settings::ResolveSettingsLocation(
      QCoreApplication::applicationFilePath().toStdString());
  int rc = 0;
  {
    plendo::app::TMFORM panel(location);
    panel.show();
    rc = app.exec();
  }  // the panel writes the settings as it goes
  plendo::platform::SetBeepHandler(nullptr);
  return rc;
}
