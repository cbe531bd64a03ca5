#include "app/TMFORM.h"

#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QCursor>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFontMetrics>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QTimer>
#include <QUrl>
#include <algorithm>
#include <cstdio>
#include <system_error>

#include "app/PanelFonts.h"
#include "app/PathShortening.h"
#include "app/PreviewWidget.h"
#include "app/SizeBoxRules.h"
#include "app/TCFORM.h"
#include "app/TPanelBase.h"
#include "controls/TStatusLED.h"
#include "engine/ResizeEngine.h"
#include "platform/Beep.h"
#include "platform/Exception.h"
#include "platform/IniFile.h"

namespace plendo::app {
namespace {

QString Q(const std::string& s) { return QString::fromStdString(s); }
std::string S(const QString& s) { return s.toStdString(); }

// The monitor label breaks lines at "\n"; the texts carry "\r\n".
QString LabelText(const std::string& text) {
  QString q = Q(text);
  q.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  return q;
}

void SetTextColour(QWidget* w, const QColor& colour) {
  QPalette p = w->palette();
  p.setColor(QPalette::WindowText, colour);
  w->setPalette(p);
}

void SetBackground(QWidget* w, const QColor& colour) {
  QPalette p = w->palette();
  p.setColor(QPalette::Window, colour);
  w->setPalette(p);
  w->setAutoFillBackground(true);
}

QLabel* LampLabel(const char* text, QWidget* parent) {
  auto* label = new QLabel(QString::fromUtf8(text), parent);
  label->setFont(PanelFont(Face::Meiryo, 11));
  label->adjustSize();
  return label;
}

controls::TStatusLED* Lamp(const QColor& colour, QWidget* parent) {
  auto* lamp = new controls::TStatusLED(parent);
  lamp->SetColor(colour);
  lamp->resize(22, 13);
  return lamp;
}

// Lowest alpha the panel is shown with: the settings panel offers 50 to 255,
// and a hand-edited 0 would make the window invisible and unreachable.
constexpr int kMinAlpha = 50;

}  // namespace

TMFORM::TMFORM(settings::SettingsLocation location, QWidget* parent)
    : QWidget(parent), location_(std::move(location)) {
  engine_ = std::make_unique<engine::ResizeEngine>(settings_, *this);
  browseForFolder_ = [this](const std::string& prompt, const std::string& initial,
                            std::string& chosen, int x, int y) {
    return BrowseForFolder(this, prompt, initial, chosen, x, y);
  };
  CreateControls();
  FormCreate();
}

TMFORM::~TMFORM() { FormDestroy(); }

void TMFORM::CreateControls() {
  // Pixel sizes as laid out at 96 pixels per inch; the panel does not scale.
  setFixedSize(312, 213);
  setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                 Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint |
                 Qt::WindowStaysOnTopHint);
  setFont(PanelFont(Face::Gothic, 12));
  setAcceptDrops(true);

  WOBASE = new TPanelBase(this);
  WOBASE->setGeometry(5, 4, 302, 27);
  btWOUT = new QPushButton(QString::fromUtf8(kCaptionChooseFolder), WOBASE);
  btWOUT->setGeometry(0, 1, 302, 26);
  btWOUT->setFont(PanelFont(Face::Meiryo, 12));
  connect(btWOUT, &QPushButton::clicked, this, &TMFORM::btWOUTClick);

  MonitorBASE = new QFrame(this);
  MonitorBASE->setGeometry(6, 40, 175, 166);
  MonitorBASE->setFrameStyle(QFrame::Panel | QFrame::Sunken);
  MonitorBASE->setLineWidth(1);
  SetBackground(MonitorBASE, QColor(255, 255, 200));
  Mess = new QLabel(MonitorBASE);
  Mess->setGeometry(5, 56, 165, 49);
  Mess->setAlignment(Qt::AlignCenter);
  Mess->setFont(PanelFont(Face::Meiryo, 12, true));
  SetTextColour(Mess, QColor(128, 128, 128));
  // The preview lies over the message; an empty preview lets it show through.
  IMG = new PreviewWidget(MonitorBASE);
  IMG->setGeometry(1, 1, 173, 164);
  IMG->setAttribute(Qt::WA_TransparentForMouseEvents);

  GSizeBox = new QGroupBox(QStringLiteral(" 変換サイズ "), this);
  GSizeBox->setGeometry(189, 34, 118, 69);
  GSizeBox->setFont(PanelFont(Face::Meiryo, 11));
  GDot = new QComboBox(GSizeBox);
  GDot->setGeometry(8, 19, 103, 20);
  GDot->setFont(PanelFont(Face::Gothic, 12));
  GDot->setEditable(true);
  GDot->setInsertPolicy(QComboBox::NoInsert);
  GDot->setMaxVisibleItems(20);
  // Completion is the box's own (GDotKeyPress), not the toolkit's.
  GDot->setCompleter(nullptr);
  GDot->setAcceptDrops(false);
  GDot->lineEdit()->setAcceptDrops(false);
  GDot->lineEdit()->setAttribute(Qt::WA_InputMethodEnabled, false);
  GDot->setAttribute(Qt::WA_InputMethodEnabled, false);
  GDot->installEventFilter(this);
  GDot->lineEdit()->installEventFilter(this);
  SetSizeItems(settings::DefaultSizeList());
  SelectGDotItem(-1);
  connect(GDot, &QComboBox::currentIndexChanged, this, [this] { GDotChange(); });
  connect(GDot->lineEdit(), &QLineEdit::textEdited, this, [this] { GDotTextEdited(); });

  RG1 = new QRadioButton(QStringLiteral("長"), GSizeBox);
  RG1->setGeometry(6, 45, 33, 17);
  RG2 = new QRadioButton(QStringLiteral("横"), GSizeBox);
  RG2->setGeometry(42, 45, 33, 17);
  RG3 = new QRadioButton(QStringLiteral("縦"), GSizeBox);
  RG3->setGeometry(79, 45, 30, 17);
  for (QRadioButton* rg : {RG1, RG2, RG3}) rg->setFont(PanelFont(Face::Meiryo, 11));
  RG1->setChecked(true);

  grStatus = new QGroupBox(QStringLiteral(" 処理状況 "), this);
  grStatus->setGeometry(189, 107, 118, 66);
  grStatus->setFont(PanelFont(Face::Meiryo, 11));
  LbRead = LampLabel("R", grStatus);
  RLED = Lamp(QColor(0, 255, 0), grStatus);
  LbExif = LampLabel("E", grStatus);
  ELED = Lamp(QColor(255, 255, 0), grStatus);
  LbWOut = LampLabel("W", grStatus);
  WLED = Lamp(QColor(255, 0, 0), grStatus);
  ChangeLEDDisp(true);
  SSize = new QLabel(grStatus);
  SSize->setGeometry(8, 38, 102, 20);
  SSize->setFrameStyle(QFrame::Panel | QFrame::Sunken);
  SSize->setAlignment(Qt::AlignCenter);
  SSize->setFont(PanelFont(Face::Gothic, 12));
  SetBackground(SSize, Qt::white);

  CSBASE = new TPanelBase(this);
  CSBASE->setGeometry(189, 182, 56, 25);
  btCUST = new QPushButton(QStringLiteral("設定"), CSBASE);
  btCUST->setGeometry(0, 0, 56, 25);
  btCUST->setFont(PanelFont(Face::Meiryo, 12));
  btCUST->setEnabled(false);
  connect(btCUST, &QPushButton::clicked, this, &TMFORM::btCUSTClick);

  btTERM = new QPushButton(QString::fromUtf8(engine::kCaptionEnd), this);
  btTERM->setGeometry(251, 182, 56, 25);
  btTERM->setFont(PanelFont(Face::Meiryo, 12));
  connect(btTERM, &QPushButton::clicked, this, &TMFORM::btTERMClick);

  PMenu = new QMenu(this);
  N1 = PMenu->addAction(QStringLiteral("保存フォルダを指定して出力"));
  N2 = PMenu->addAction(QStringLiteral("元画像と同じフォルダに出力"));
  connect(N1, &QAction::triggered, this, &TMFORM::SelectWOutFolder);
  connect(N2, &QAction::triggered, this, &TMFORM::SetWOutSameFolder);

  setTabOrder(btTERM, btWOUT);
  btTERM->setFocus();
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
  Mess->setText(LabelText(text));
  Mess->repaint();
  if (colour == engine::kRed) platform::Beep();
}

void TMFORM::ClearMonitorMessage() {
  Mess->clear();
  Mess->repaint();
}

bool TMFORM::IsActualSize() const { return S(GDot->currentText()) == settings::kActualSizeItem; }

std::string TMFORM::SizeText() const { return S(GDot->currentText()); }

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
  SSize->setText(Q(text));
  SSize->repaint();
}

void TMFORM::LoadPreview(const std::filesystem::path& path) {
  IMG->LoadFromFile(path);
  IMG->repaint();
}

void TMFORM::ClearPreview() {
  IMG->Clear();
  IMG->update();
}

void TMFORM::SetTermCaption(const std::string& caption, bool focus) {
  btTERM->setText(Q(caption));
  btTERM->repaint();
  if (focus) btTERM->setFocus();
}

void TMFORM::ChangeButtonsEnabled(bool enabled) {
  if (settings_.XQTDisp) {
    WOBASE->SetUsable(enabled);
    CSBASE->SetUsable(enabled);
    GSizeBox->setEnabled(enabled);
    return;
  }
  btWOUT->setEnabled(enabled);
  btCUST->setEnabled(enabled);
  GSizeBox->setEnabled(enabled);
  SetTextColour(GSizeBox, enabled ? QApplication::palette().color(QPalette::Active, QPalette::WindowText)
                                  : QColor(128, 128, 128));
}

void TMFORM::ProcessPendingMessages() { QCoreApplication::processEvents(); }
void TMFORM::KeepResponsive() { QCoreApplication::processEvents(); }

// --- readiness ---------------------------------------------------------------

bool TMFORM::CheckWOPathSetOK() {
  if (settings_.OutOrigDir || !WOPath_.empty()) {
    SetAndDisplayWOUTPathCaption();
    ShowMonitorMessage(engine::kGray, kMsgReady);
    return true;
  }
  btWOUT->setText(QString::fromUtf8(kCaptionChooseFolder));
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
    btWOUT->setText(QString::fromUtf8(kCaptionSameFolder));
    return;
  }
  // Measured in the panel's own font, not the button's.
  const QFontMetrics metrics(font());
  const auto width = [&metrics](const std::string& s) { return metrics.horizontalAdvance(Q(s)); };
  btWOUT->setText(QString::fromUtf8(kCaptionFolderPrefix) +
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

// --- the size box ------------------------------------------------------------

std::vector<std::string> TMFORM::SizeItems() const {
  std::vector<std::string> items;
  items.reserve(static_cast<std::size_t>(GDot->count()));
  for (int i = 0; i < GDot->count(); ++i) items.push_back(S(GDot->itemText(i)));
  return items;
}

void TMFORM::SetSizeItems(const std::vector<std::string>& items) {
  const QSignalBlocker block(GDot);
  const QString text = GDot->currentText();
  GDot->clear();
  if (items.empty() || items.front() != settings::kActualSizeItem)
    GDot->addItem(QString::fromUtf8(settings::kActualSizeItem));
  for (const std::string& item : items) GDot->addItem(Q(item));
  GDot->setCurrentIndex(-1);
  GDot->setEditText(text);
}

int TMFORM::SizeIndex() const { return GDot->currentIndex(); }

void TMFORM::SetSizeIndex(int index) {
  SelectGDotItem(index);
  GDotChange();
}

void TMFORM::SelectGDotItem(int index) {
  const QSignalBlocker block(GDot);
  if (index < 0 || index >= GDot->count()) index = -1;
  GDot->setCurrentIndex(index);
  if (index < 0) GDot->setEditText(QString());
}

void TMFORM::SetGDotTypedText(const QString& text, int selectFrom, int selectLength) {
  const QSignalBlocker block(GDot);
  const QSignalBlocker blockEdit(GDot->lineEdit());
  GDot->setCurrentIndex(-1);
  GDot->setEditText(text);
  if (selectLength > 0)
    GDot->lineEdit()->setSelection(selectFrom, selectLength);
  else
    GDot->lineEdit()->setCursorPosition(selectFrom);
}

// Any other edit (paste, cut, Delete): the text no longer stands for an item.
void TMFORM::GDotTextEdited() {
  QLineEdit* edit = GDot->lineEdit();
  if (GDot->currentIndex() >= 0 && edit->text() != GDot->itemText(GDot->currentIndex()))
    SetGDotTypedText(edit->text(), edit->cursorPosition(), 0);
  GDotChange();
}

void TMFORM::GDotChange() {
  if (CheckGDotSizeSetOK()) CheckWOPathSetOK();
}

void TMFORM::GDotDblClick() {
  const int index = SizeIndex();
  if (index > 0) {
    settings_.SaveGSize = index;
    SelectGDotItem(0);
  } else {
    SelectGDotItem(settings_.SaveGSize);
  }
  GDotChange();
}

bool TMFORM::GDotKeyPress(char32_t ch) {
  switch (ClassifyGDotKey(ch)) {
    case GDotKey::Swallow:
      return true;
    case GDotKey::Toggle:
      GDotDblClick();
      return true;
    case GDotKey::Refuse:
      platform::Beep();
      return true;
    case GDotKey::Pass:
      break;
  }
  QLineEdit* edit = GDot->lineEdit();
  const QString text = edit->text();
  const bool selected = edit->hasSelectedText();
  const int start = selected ? edit->selectionStart() : edit->cursorPosition();
  const int length = selected ? static_cast<int>(edit->selectedText().size()) : 0;

  if (ch == 8) {  // Backspace: the highlighted part, or the character before
    if (!selected && start == 0) return true;
    const int from = selected ? start : start - 1;
    const int count = selected ? length : 1;
    SetGDotTypedText(QString(text).remove(from, count), from, 0);
    GDotChange();
    return true;
  }
  if (ch < 32) return false;  // editing keys and clipboard shortcuts

  const QString typed = QString(QChar(static_cast<char16_t>(ch)));
  // The text typed so far: up to the highlighted part, or all of it.
  const QString prefix = (selected ? text.left(start) : text) + typed;
  if (const auto item = FindItemWithPrefix(SizeItems(), S(prefix))) {
    SelectGDotItem(*item);
    GDot->lineEdit()->setSelection(static_cast<int>(prefix.size()),
                                   static_cast<int>(GDot->itemText(*item).size() - prefix.size()));
    GDotChange();
    return true;
  }
  SetGDotTypedText(QString(text).replace(start, length, typed), start + 1, 0);
  GDotChange();
  return true;
}

bool TMFORM::eventFilter(QObject* watched, QEvent* event) {
  if (watched == GDot || watched == GDot->lineEdit()) {
    if (event->type() == QEvent::KeyPress) {
      auto* key = static_cast<QKeyEvent*>(event);
      if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) return GDotKeyPress(13);
      if (key->key() == Qt::Key_Backspace) return GDotKeyPress(8);
      const QString text = key->text();
      // Keys without a character (arrows, Delete, F-keys) are the box's own.
      if (text.isEmpty() || key->key() == Qt::Key_Delete) return false;
      const char32_t ch = text.toUcs4().value(0);
      if (ch == 127) return false;
      return GDotKeyPress(ch);
    }
    if (event->type() == QEvent::MouseButtonDblClick) {
      GDotDblClick();
      return true;
    }
  }
  return QWidget::eventFilter(watched, event);
}

// --- end button, window --------------------------------------------------------

void TMFORM::btTERMClick() {
  if (engine_->Running()) {
    engine_->ClearRunning();
    return;
  }
  // A stopped batch is still finishing its current file: its button reads
  // "中断" until then, so a second click must not end the program under it.
  if (engine_->InBatch()) return;
  close();
}

void TMFORM::closeEvent(QCloseEvent* event) {
  if (engine_->InBatch()) {
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
  if (browseForFolder_ && browseForFolder_(kBrowsePrompt, previous, chosen, x() + 100, y() + 100) &&
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

// --- drops ---------------------------------------------------------------------

bool TMFORM::AcceptsDrops() const { return !dropQueued_ && !engine_->InBatch(); }

namespace {

std::vector<std::filesystem::path> LocalFiles(const QMimeData* mime) {
  std::vector<std::filesystem::path> paths;
  if (!mime || !mime->hasUrls()) return paths;
  for (const QUrl& url : mime->urls()) {
    if (url.isLocalFile()) paths.emplace_back(url.toLocalFile().toStdString());
  }
  return paths;
}

}  // namespace

void TMFORM::dragEnterEvent(QDragEnterEvent* event) {
  if (AcceptsDrops() && !LocalFiles(event->mimeData()).empty())
    event->acceptProposedAction();
  else
    event->ignore();
}

void TMFORM::dragMoveEvent(QDragMoveEvent* event) {
  if (AcceptsDrops())
    event->acceptProposedAction();
  else
    event->ignore();
}

void TMFORM::dropEvent(QDropEvent* event) {
  std::vector<std::filesystem::path> items = LocalFiles(event->mimeData());
  if (!AcceptsDrops() || items.empty()) {
    event->ignore();
    return;
  }
  event->acceptProposedAction();
  // The batch starts after the drop has returned, so the file manager that
  // started the drag is never held waiting for it.
  dropQueued_ = true;
  QTimer::singleShot(0, this, [this, items = std::move(items)] {
    dropQueued_ = false;
    WMDropFiles(items);
  });
}

void TMFORM::WMDropFiles(const std::vector<std::filesystem::path>& items) {
  if (engine_->InBatch()) return;  // one batch at a time
  if (!CheckWOPathSetOK()) return;
  if (!CheckGDotSizeSetOK()) return;
  std::error_code ec;
  if (!settings_.OutOrigDir && !std::filesystem::is_directory(WOPath_, ec)) {
    ShowMonitorMessage(engine::kRed, kMsgFolderMissing);
    return;
  }
  try {
    engine_->XQTDropFiles(items);
  } catch (const std::exception& e) {
    // The engine has already put the buttons back; say what stopped the batch.
    ShowMonitorMessage(engine::kRed, e.what());
  }
  if (closeAfterBatch_) QTimer::singleShot(0, this, &QWidget::close);
}

}  // namespace plendo::app
