// Program start: files named on the command line go to a panel that already
// runs, if there is one; otherwise the application object, its title, the
// main panel (which takes those files as one drop), and the message loop
// until the panel closes.
#include <QApplication>
#include <QIcon>
#include <QLocalServer>
#include <QMessageLogContext>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <system_error>

#include "BuildInfo.h"
#include "app/PanelHandOver.h"
#include "app/PanelLanguage.h"
#include "app/PanelProbe.h"
#include "app/PanelSignals.h"
#include "app/ProgramStart.h"
#include "app/TMFORM.h"
#include "platform/Beep.h"
#include "platform/MemoryReuse.h"
#include "settings/SettingsLocation.h"
#include "settings/SettingsStore.h"

namespace {

// Qt sees only the program name and the platform we choose, never the
// user's arguments: the panel reads none but files, whatever their names.
// The X11 instance name is fixed, so that the window class stays
// plendo/Plendo however the program was started.
class QtArguments {
 public:
  QtArguments(char* program, std::string platform) : platform_(std::move(platform)) {
    argv_[argc_++] = program;
    argv_[argc_++] = nameOption_;
    argv_[argc_++] = name_;
    if (!platform_.empty()) {
      argv_[argc_++] = platformOption_;
      argv_[argc_++] = platform_.data();
    }
  }
  int& argc() { return argc_; }
  char** argv() { return argv_; }

 private:
  std::string platform_;
  char nameOption_[6] = "-name";
  char name_[7] = "plendo";
  char platformOption_[10] = "-platform";
  char* argv_[6] = {};
  int argc_ = 0;
};

// While the application object starts: Qt ends the program when no display
// platform can start, with advice meant for a broken installation. The user
// gets one plain line and exit status 1 instead; every other message passes.
void OnStartMessage(QtMsgType type, const QMessageLogContext& context, const QString& message) {
  if (type == QtFatalMsg) {
    std::fputs("plendo: cannot open display\n", stderr);
    std::_Exit(1);
  }
  std::fprintf(stderr, "%s\n", qPrintable(qFormatLogMessage(type, context, message)));
}

// --help and --version print and end without a display. False when stdout
// cannot be written.
bool Print(const std::string& text) {
  return std::fputs(text.c_str(), stdout) >= 0 && std::fflush(stdout) == 0;
}

QIcon ProgramIcon() {
  QIcon icon;
  for (int size : {16, 22, 24, 32, 48, 64, 128, 256})
    icon.addFile(QStringLiteral(":/icons/plendo-%1.png").arg(size), QSize(size, size));
  return icon;
}

std::filesystem::path CurrentFolder() {
  std::error_code ec;
  return std::filesystem::current_path(ec);
}

// Qt ends the program with exit(1) when the X connection breaks, from deep
// inside the message loop: main() never gets to end the panel. What it would
// have done is registered here, and run by exit().
std::function<void()>& PanelEndAtExit() {
  static std::function<void()> end;
  return end;
}

extern "C" void RunPanelEndAtExit() {
  std::function<void()> end;
  end.swap(PanelEndAtExit());
  if (end) end();
}

void BringForward(QWidget& panel) {
  if (panel.isMinimized()) panel.showNormal();
  panel.raise();
  panel.activateWindow();
}

}  // namespace

int main(int argc, char* argv[]) {
  using namespace plendo;
  platform::KeepFreedBuffersForReuse();
  const app::PanelCommandLine commandLine = app::ParsePanelCommandLine(argc, argv, CurrentFolder());
  if (!commandLine.error.empty()) {
    std::fprintf(stderr, "plendo: %s\nTry 'plendo --help'.\n", commandLine.error.c_str());
    return 2;
  }
  if (commandLine.help) return Print(app::PanelHelpText()) ? 0 : 1;
  if (commandLine.version) return Print(std::string("plendo ") + build::kVersion + "\n") ? 0 : 1;
  const app::PathList& files = commandLine.files;
  // A panel already runs: it takes the files, and this start needs no
  // application object at all.
  switch (app::HandOverToRunningPanel(app::HandOverSocketName(), files)) {
    case app::HandOverResult::Delivered: return 0;
    case app::HandOverResult::NoAnswer:
      std::fprintf(stderr, "plendo: the running panel did not take the files\n");
      return 1;
    case app::HandOverResult::NoPanel: break;
  }

  QtArguments qt(argv[0], app::PanelPlatform([](const char* name) { return std::getenv(name); }));
  qInstallMessageHandler(OnStartMessage);
  QApplication application(qt.argc(), qt.argv());
  qInstallMessageHandler(nullptr);

  // Become the panel, or hand the files to the one that is; when two start
  // at once, the one that loses the socket hands over to the other.
  std::unique_ptr<app::TMFORM> panel;
  app::HandOverServer server(app::HandOverSocketName(), [&panel](app::PathList handed) {
    if (!panel) return;
    BringForward(*panel);
    panel->OpenFiles(std::move(handed));
  });
  bool listening = false;
  for (int attempt = 0; attempt < 2; ++attempt) {
    const app::HandOverResult result = app::HandOverToRunningPanel(app::HandOverSocketName(), files);
    if (result == app::HandOverResult::Delivered) return 0;
    if (result == app::HandOverResult::NoAnswer) {
      std::fprintf(stderr, "plendo: the running panel did not take the files\n");
      return 1;
    }
    if ((listening = server.Listen())) break;
    if (attempt == 1)  // still a panel of its own, only deaf to later starts
      std::fprintf(stderr, "plendo: cannot listen on %s; files opened later start another panel\n",
                   qPrintable(app::HandOverSocketName()));
  }

  // The panel speaks the language its settings or --lang choose, and so do
  // Qt's own dialogs and buttons (the folder chooser's labels).
  const auto location = settings::ResolveSettingsLocation(QCoreApplication::applicationFilePath().toStdString());
  const app::PanelTranslation translation(
      app::PanelLanguage(commandLine.language, settings::ReadStartSettings(location.readPath).app.Language,
                         [](const char* name) { return std::getenv(name); }),
      app::TranslationsFolder());
  if (!translation.Loaded())
    std::fprintf(stderr, "plendo: no English translation in %s\n", qPrintable(app::TranslationsFolder()));

  QCoreApplication::setApplicationName(app::TMFORM::tr(app::kAppTitleAtStart));
  QGuiApplication::setDesktopFileName(QStringLiteral("org.plendo.Plendo"));
  QApplication::setWindowIcon(ProgramIcon());
  platform::SetBeepHandler([] { QApplication::beep(); });

  panel = std::make_unique<app::TMFORM>(location);
  // The panel names the application with its title and version; the X11
  // window class, which desktops match launchers and window rules by, is the
  // application's name when the first window appears and must stay the same
  // from release to release: plendo/Plendo.
  QCoreApplication::setApplicationName(QStringLiteral("Plendo"));
  const app::CloseOnSignals closeOnSignals(*panel);
  panel->show();
  std::unique_ptr<app::PanelProbe> probe = app::PanelProbe::FromEnvironment(*panel);
  PanelEndAtExit() = [&panel, &probe, listening] {
    probe.reset();
    panel.reset();  // writes the settings
    if (listening) QLocalServer::removeServer(app::HandOverSocketName());
  };
  std::atexit(RunPanelEndAtExit);
  panel->OpenFiles(files);  // runs once the message loop does
  const int rc = application.exec();
  PanelEndAtExit() = nullptr;
  probe.reset();
  panel.reset();  // writes the settings
  platform::SetBeepHandler(nullptr);
  return rc;
}
