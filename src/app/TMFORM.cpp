#include "app/TMFORM.h"

#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QCursor>
#include <QFontMetrics>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <algorithm>
#include <cstdio>

#include "app/PanelColours.h"
#include "app/PanelTexts.h"
#include "app/PathShortening.h"
#include "app/PreviewWidget.h"
#include "app/SizeBoxRules.h"
#include "app/TCFORM.h"
#include "app/TPanelBase.h"
#include "app/UiThreadHost.h"
#include "controls/TStatusLED.h"
#include "engine/ResizeEngine.h"
#include "platform/Beep.h"
#include "settings/SizeList.h"

namespace plendo::app {
namespace {

QString Q(const std::string& s) { return QString::fromStdString(s); }

// The monitor label breaks lines at "\n"; the texts carry "\r\n".
QString LabelText(QString q) {
  q.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  return q;
}

// Lowest alpha the panel is shown with: the settings panel offers 50 to 255,
// and a hand-edited 0 would make the window invisible and unreachable.
constexpr int kMinAlpha = 50;

}  // namespace

TMFORM::TMFORM(settings::SettingsLocation location, QWidget* parent)
    : QWidget(parent), location_(std::move(location)) {
  uiHost_ = std::make_unique<UiThreadHost>(*this);
  engine_ = std::make_unique<engine::ResizeEngine>(settings_, *uiHost_);
  browseForFolder_ = [this](const std::string& prompt, const std::string& initial,
                            std::string& chosen, int x, int y) {
    return BrowseForFolder(this, prompt, initial, chosen, x, y);
  };
  CreateControls();
  FormCreate();
}

TMFORM::~TMFORM() {
  StopAndJoinBatch();
  FormDestroy();
  // Deleting the children moves the focus out of the size box, whose combo
  // box may then pick the item matching its text; neither that nor a change
  // of the application's state may reach this half-destroyed panel.
  QObject::disconnect(qApp, nullptr, this, nullptr);
  GDot->disconnect(this);
  GDot->lineEdit()->disconnect(this);
}

void TMFORM::FormCreate() {
  QCoreApplication::setApplicationName(QString::fromUtf8(kAppTitle));
  connect(qApp, &QGuiApplication::applicationStateChanged, this, [this](Qt::ApplicationState s) {
    if (s == Qt::ApplicationActive)
      AppActivate();
    else
      AppDeactivate();
  });
  engine_->ClearExifFlags();
  ApplyStartSettings(settings::ReadStartSettings(location_.readPath, PanelSettings()));
  setWindowTitle(QString::fromUtf8(kWindowCaption));
  ChangeLEDDisp(settings_.ExifCopy);
  if (CheckWOPathSetOK()) CheckGDotSizeSetOK();
}

void TMFORM::ApplyStartSettings(const settings::StartSettings& start) {
  const settings::MainPanelSettings& p = start.panel;
  move(p.Left, p.Top);
  settings_ = start.app;
  WOPath_ = p.WOPath;
  SetSizeItems(p.RSize);
  SelectGDotItem(p.GSize);
  // Applied in this order, as checking one unchecks the others.
  const bool flags[3] = {p.RGL, p.RGW, p.RGV};
  QRadioButton* buttons[3] = {RG1, RG2, RG3};
  for (int i = 0; i < 3; ++i) {
    if (flags[i]) buttons[i]->setChecked(true);
  }
  SetStaysOnTop(p.StaysOnTop());
}

void TMFORM::FormDestroy() {
  if (destroyed_) return;
  destroyed_ = true;
  try {
    settings::WriteEndSettings(location_, settings_, PanelSettings());
  } catch (const std::exception& e) {
    // No window is left to show it on; the terminal is the last witness.
    std::fprintf(stderr, "plendo: settings not saved: %s\n", e.what());
  }
}

settings::MainPanelSettings TMFORM::PanelSettings() const {
  settings::MainPanelSettings p;
  p.Top = y();
  p.Left = x();
  p.WOPath = WOPath_;
  p.RSize = SizeItems();
  p.GSize = SizeIndex();
  p.RGL = RG1->isChecked();
  p.RGW = RG2->isChecked();
  p.RGV = RG3->isChecked();
  p.PanelStyle = StaysOnTop() ? settings::kPanelStyleTopmost : settings::kPanelStyleNormal;
  return p;
}

// --- PanelHost ---------------------------------------------------------------

void TMFORM::ShowMonitorMessage(engine::Colour colour, const std::string& text) {
  ClearPreview();
  SetTextColour(Mess, QColor(colour.r, colour.g, colour.b));
  // The panel's own texts, or else the engine's.
  const QString own = tr(text.c_str());
  Mess->setText(LabelText(own != Q(text) ? own : EngineText(text)));
  Mess->repaint();
  if (colour == engine::kRed) platform::Beep();
}

void TMFORM::ClearMonitorMessage() {
  Mess->clear();
  Mess->repaint();
}

bool TMFORM::IsActualSize() const { return StoredSizeItem(GDot->currentText()) == settings::kActualSizeItem; }

std::string TMFORM::SizeText() const { return StoredSizeItem(GDot->currentText()); }

engine::SizeSide TMFORM::Side() const {
  if (RG3->isChecked()) return engine::SizeSide::Height;
  if (RG2->isChecked()) return engine::SizeSide::Width;
  return engine::SizeSide::LongSide;
}

controls::TStatusLED* TMFORM::LampOf(engine::Lamp lamp) const {
  switch (lamp) {
    case engine::Lamp::Read: return RLED;
    case engine::Lamp::Exif: return ELED;
    case engine::Lamp::Write: return WLED;
  }
  return RLED;
}

void TMFORM::LightOn(engine::Lamp lamp) { LampOf(lamp)->LightOn(); }
void TMFORM::LightOff(engine::Lamp lamp) { LampOf(lamp)->LightOff(); }
void TMFORM::SetLampStatus(engine::Lamp lamp, bool on) { LampOf(lamp)->SetStatus(on); }

void TMFORM::SetSizeCaption(const std::string& text) {
  SSize->setText(EngineText(text));
  SSize->repaint();
}

void TMFORM::LoadPreview(const std::filesystem::path& path, std::unique_ptr<preview::TGraphic> prepared) {
  if (prepared)
    IMG->ShowGraphic(std::move(prepared));
  else
    IMG->LoadFromFile(path);
  IMG->repaint();
}

void TMFORM::ClearPreview() {
  IMG->Clear();
  IMG->update();
}

void TMFORM::SetTermCaption(const std::string& caption, bool focus) {
  btTERM->setText(EngineText(caption));
  btTERM->repaint();
  if (focus) btTERM->setFocus();
}

void TMFORM::ChangeButtonsEnabled(bool enabled) {
  if (settings_.XQTDisp) {
    WOBASE->SetUsable(enabled);
    CSBASE->SetUsable(enabled);
    GSizeGate_->SetUsable(enabled);
    return;
  }
  btWOUT->setEnabled(enabled);
  btCUST->setEnabled(enabled);
  GSizeBox->setEnabled(enabled);
  const QPalette standard = QApplication::palette();
  SetTextColour(GSizeBox, enabled ? standard.color(QPalette::Active, QPalette::WindowText) : QColor(128, 128, 128));
  if (enabled) {
    // The side buttons disabled in 原寸 mode take the Disabled colour from here.
    QPalette p = GSizeBox->palette();
    p.setColor(QPalette::Disabled, QPalette::WindowText, standard.color(QPalette::Disabled, QPalette::WindowText));
    GSizeBox->setPalette(p);
  }
}

preview::PreviewArea TMFORM::PreviewArea() const { return {IMG->width(), IMG->height()}; }

void TMFORM::ProcessPendingMessages() { QCoreApplication::processEvents(); }
void TMFORM::KeepResponsive() { QCoreApplication::processEvents(); }

// --- readiness ---------------------------------------------------------------

bool TMFORM::CheckWOPathSetOK() {
  if (settings_.OutOrigDir || !WOPath_.empty()) {
    SetAndDisplayWOUTPathCaption();
    ShowMonitorMessage(engine::kGray, kMsgReady);
    return true;
  }
  btWOUT->setText(tr(kCaptionChooseFolder));
  ShowMonitorMessage(engine::kRed, kMsgNoFolder);
  return false;
}

bool TMFORM::CheckGDotSizeSetOK() {
  const bool ok = IsUsableSizeText(SizeText());
  if (ok) {
    SetAndDisplayWOUTPathCaption();
    ShowMonitorMessage(engine::kGray, kMsgReady);
    btCUST->setEnabled(true);
  } else {
    SetGDotTypedText(QString(), 0, 0);
    ShowMonitorMessage(engine::kRed, kMsgNoSize);
    btCUST->setEnabled(false);
  }
  const bool sides = !IsActualSize();
  for (QRadioButton* rg : {RG1, RG2, RG3}) rg->setEnabled(sides);
  return ok;
}

void TMFORM::SetAndDisplayWOUTPathCaption() {
  if (settings_.OutOrigDir) {
    btWOUT->setText(tr(kCaptionSameFolder));
    return;
  }
  // Measured in the panel's own font, not the button's.
  const QFontMetrics metrics(font());
  const auto width = [&metrics](const std::string& s) { return metrics.horizontalAdvance(Q(s)); };
  btWOUT->setText(tr(kCaptionFolderPrefix) +
                  Q(ShortenPath(WOPath_, kCaptionPathWidth, width)));
}

void TMFORM::ChangeLEDDisp(bool show) {
  LbExif->setVisible(show);
  ELED->setVisible(show);
  const int read = show ? 9 : 17, readLamp = show ? 17 : 28;
  const int write = show ? 79 : 67, writeLamp = show ? 88 : 81;
  LbRead->move(read, 22);
  RLED->move(readLamp, 19);
  LbExif->move(45, 22);
  ELED->move(52, 19);
  LbWOut->move(write, 22);
  WLED->move(writeLamp, 19);
}

// --- end button, window --------------------------------------------------------

void TMFORM::btTERMClick() {
  if (engine_->Running()) {
    engine_->ClearRunning();
    return;
  }
  // A stopped batch reads "中断" until it has shown its end, so a second
  // click must not end the program under it; once the button reads "終了"
  // it closes the panel (as soon as the batch's thread is done).
  if (BatchUnderWay() && btTERM->text() != EngineText(engine::kCaptionEnd)) return;
  close();
}

void TMFORM::closeEvent(QCloseEvent* event) {
  if (BatchUnderWay()) {
    // Stop the batch and close once it has returned.
    engine_->ClearRunning();
    closeAfterBatch_ = true;
    event->ignore();
    return;
  }
  event->accept();
}

void TMFORM::btCUSTClick() {
  {
    TCFORM panel(*this);
    panel.exec();
  }
  // A changed EXIF choice shows in the lamp row at once.
  ChangeLEDDisp(settings_.ExifCopy);
}

bool TMFORM::StaysOnTop() const { return windowFlags().testFlag(Qt::WindowStaysOnTopHint); }

void TMFORM::SetStaysOnTop(bool on) {
  if (on == StaysOnTop()) return;
  const bool visible = isVisible();
  setWindowFlag(Qt::WindowStaysOnTopHint, on);
  if (visible) show();  // changing the flags hides a shown window
}

void TMFORM::ApplyOpacity(bool translucent) {
  const int alpha = translucent ? std::max(settings_.AlphaBlendValue & 0xFF, kMinAlpha) : 255;
  setWindowOpacity(alpha / 255.0);
}

// The window system keeps a stays-on-top window in its band by itself; raising
// it here would bury the panel's own pop-up menu and dialogs under it.
void TMFORM::AppActivate() { ApplyOpacity(settings_.AlphaBlendType == 2); }

void TMFORM::AppDeactivate() { ApplyOpacity(settings_.AlphaBlendType > 0); }

// --- output folder -------------------------------------------------------------

void TMFORM::btWOUTClick() { PMenu->popup(QCursor::pos()); }

void TMFORM::SelectWOutFolder() {
  const std::string previous = WOPath_;
  WOPath_.clear();
  std::string chosen;
  if (browseForFolder_ && browseForFolder_(tr(kBrowsePrompt).toStdString(), previous, chosen, x() + 100, y() + 100) &&
      !chosen.empty()) {
    WOPath_ = chosen;
    SetAndDisplayWOUTPathCaption();
  } else {
    WOPath_ = previous;
  }
  // Choosing this item means folder output, even when the dialog was cancelled.
  settings_.OutOrigDir = false;
  if (CheckWOPathSetOK()) CheckGDotSizeSetOK();
  btTERM->setFocus();
}

void TMFORM::SetWOutSameFolder() {
  settings_.OutOrigDir = true;
  if (CheckWOPathSetOK()) CheckGDotSizeSetOK();
  btTERM->setFocus();
}

}  // namespace plendo::app
