// The folder dialog of the output-folder menu. Non-native so that it can be
// placed: it opens beside the main panel, pushed inside the screen.
#include <QDir>
#include <QFileDialog>
#include <QGridLayout>
#include <QGuiApplication>
#include <QLabel>
#include <QScreen>
#include <QTimer>

#include "app/FolderPlacement.h"
#include "app/TMFORM.h"

namespace plendo::app {
namespace {

// Shows, below the dialog's list, the prompt and the full path of the folder
// under the cursor (a title bar may cut the prompt or not exist at all).
void AddStatusLine(QFileDialog& dialog, const QString& prompt) {
  if (auto* grid = qobject_cast<QGridLayout*>(dialog.layout()))
    grid->addWidget(new QLabel(prompt, &dialog), grid->rowCount(), 0, 1, grid->columnCount());
  auto* status = new QLabel(&dialog);
  status->setTextInteractionFlags(Qt::TextSelectableByMouse);
  status->setText(QDir::toNativeSeparators(dialog.directory().absolutePath()));
  if (auto* grid = qobject_cast<QGridLayout*>(dialog.layout()))
    grid->addWidget(status, grid->rowCount(), 0, 1, grid->columnCount());
  QObject::connect(&dialog, &QFileDialog::currentChanged, status, [status](const QString& path) {
    status->setText(QDir::toNativeSeparators(path));
  });
  QObject::connect(&dialog, &QFileDialog::directoryEntered, status, [status](const QString& path) {
    status->setText(QDir::toNativeSeparators(path));
  });
}

void Place(QFileDialog& dialog, int x, int y) {
  const QScreen* screen = QGuiApplication::primaryScreen();
  if (!screen) return;
  const QRect virtualScreen = screen->virtualGeometry();
  const QSize outer = dialog.frameGeometry().size();
  const ScreenPoint at = PlaceBrowseDialog(x, y, virtualScreen.width(), virtualScreen.height(),
                                           outer.width(), outer.height());
  dialog.move(at.x, at.y);
}

}  // namespace

bool BrowseForFolder(QWidget* owner, const std::string& prompt, const std::string& initial,
                     std::string& chosen, int x, int y) {
  chosen.clear();
  QFileDialog dialog(owner, QString::fromStdString(prompt));
  dialog.setOption(QFileDialog::DontUseNativeDialog, true);
  dialog.setOption(QFileDialog::ShowDirsOnly, true);
  dialog.setFileMode(QFileDialog::Directory);
  dialog.setAcceptMode(QFileDialog::AcceptOpen);
  dialog.setWindowModality(Qt::ApplicationModal);
  // A one-character folder is the root: nothing to preselect.
  if (initial.size() > 1 && QDir(QString::fromStdString(initial)).exists())
    dialog.setDirectory(QString::fromStdString(initial));
  else
    dialog.setDirectory(QDir::homePath());
  AddStatusLine(dialog, QString::fromStdString(prompt));
  dialog.adjustSize();
  Place(dialog, x, y);
  // Once shown the frame is known; place it again with the real outer size.
  QTimer::singleShot(0, &dialog, [&dialog, x, y] { Place(dialog, x, y); });
  if (dialog.exec() != QDialog::Accepted) return false;
  const QStringList files = dialog.selectedFiles();
  if (files.isEmpty()) return false;
  chosen = QDir::cleanPath(files.front()).toStdString();
  return !chosen.empty();
}

}  // namespace plendo::app
