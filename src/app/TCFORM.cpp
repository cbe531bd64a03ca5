#include "app/TCFORM.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDesktopServices>
#include <QGroupBox>
#include <QIcon>
#include <QKeyEvent>
#include <QLabel>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPushButton>
#include <QScreen>
#include <QSlider>
#include <QStyle>
#include <QTabBar>
#include <QTabWidget>
#include <algorithm>
#include <charconv>
#include <cstdio>
#include <system_error>

#include "app/PanelFonts.h"
#include "app/RadioGroup.h"
#include "app/TMFORM.h"
#include "controls/TNumEdit.h"
#include "platform/Beep.h"
#include "settings/SettingsStore.h"

namespace plendo::app {
namespace {

QString Q(const std::string& s) { return QString::fromStdString(s); }
QString U(const char* s) { return QString::fromUtf8(s); }

constexpr int kPageCount = 5;
const QColor kNavy(0, 0, 128);
const QColor kHintGray(128, 128, 128);
const QColor kAboutBackground(255, 255, 200);

void SetTextColour(QWidget* w, const QColor& colour) {
  QPalette p = w->palette();
  p.setColor(QPalette::WindowText, colour);
  p.setColor(QPalette::Text, colour);
  w->setPalette(p);
}

QCheckBox* CheckBox(const char* caption, QWidget* parent, int left, int top, int width = 0,
                    int height = 0) {
  auto* box = new QCheckBox(U(caption), parent);
  if (width > 0)
    box->setGeometry(left, top, width, height);
  else {
    box->adjustSize();
    box->move(left, top);
  }
  return box;
}

QLabel* NavyLabel(const QString& text, QWidget* parent, int left, int top) {
  auto* label = new QLabel(text, parent);
  SetTextColour(label, kNavy);
  label->adjustSize();
  label->move(left, top);
  return label;
}

// A panel with a raised edge inside a lowered one.
QFrame* InsetPanel(QWidget* parent, const QRect& geometry) {
  auto* frame = new QFrame(parent);
  frame->setGeometry(geometry);
  frame->setFrameStyle(QFrame::Panel | QFrame::Sunken);
  frame->setLineWidth(1);
  return frame;
}

// The file the panel reads its entries from: the one it writes to, or while
// that does not exist yet, the one start-up read.
std::filesystem::path PlacementReadPath(const settings::SettingsLocation& location) {
  std::error_code ec;
  return std::filesystem::exists(location.writePath, ec) ? location.writePath : location.readPath;
}

// A whole number as the size edit box holds it: an optional sign and
// decimal digits, within 32 bits.
std::optional<std::int32_t> ParseWholeNumber(const std::string& text) {
  std::string_view digits = text;
  bool negative = false;
  if (!digits.empty() && (digits.front() == '+' || digits.front() == '-')) {
    negative = digits.front() == '-';
    digits.remove_prefix(1);
  }
  if (digits.empty()) return std::nullopt;
  for (char c : digits) {
    if (c < '0' || c > '9') return std::nullopt;
  }
  std::int64_t value = 0;
  const auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
  if (ec != std::errc{} || end != digits.data() + digits.size()) return std::nullopt;
  if (negative) value = -value;
  if (value < INT32_MIN || value > INT32_MAX) return std::nullopt;
  return static_cast<std::int32_t>(value);
}

bool SameIgnoringCase(const std::string& a, const std::string& b) {
  return QString::compare(Q(a), Q(b), Qt::CaseInsensitive) == 0;
}

int IndexOfIgnoringCase(const std::vector<std::string>& items, const std::string& text) {
  for (std::size_t i = 0; i < items.size(); ++i) {
    if (SameIgnoringCase(items[i], text)) return static_cast<int>(i);
  }
  return -1;
}

}  // namespace

SettingsPanelDialogs DefaultSettingsPanelDialogs() {
  SettingsPanelDialogs d;
  d.askYesNo = [](QWidget* owner, const QString& text) {
    QMessageBox box(QMessageBox::Question, QStringLiteral("確認"), text, QMessageBox::NoButton,
                    owner);
    QPushButton* yes = box.addButton(QStringLiteral("はい(&Y)"), QMessageBox::YesRole);
    box.addButton(QStringLiteral("いいえ(&N)"), QMessageBox::NoRole);
    box.setDefaultButton(yes);
    box.exec();
    return box.clickedButton() == yes;
  };
  d.showNotice = [](QWidget* owner, const QString& text) {
    QMessageBox box(QMessageBox::NoIcon, QCoreApplication::applicationName(), text,
                    QMessageBox::Ok, owner);
    box.exec();
  };
  d.openUrl = [](const QUrl& url) { QDesktopServices::openUrl(url); };
  return d;
}

QPoint DefaultSettingsPanelPosition(QPoint mainTopLeft, const QRect& virtualScreen,
                                    QSize panelOuterSize) {
  int top = mainTopLeft.y() + 120;
  if (top > virtualScreen.y() + virtualScreen.height() - panelOuterSize.height())
    top = mainTopLeft.y() - 120;
  int left = mainTopLeft.x() + 100;
  if (left > virtualScreen.x() + virtualScreen.width() - panelOuterSize.width())
    left = mainTopLeft.x() - 100;
  return {left, top};
}

SizeEditState EvaluateSizeEdit(const std::string& text, const std::vector<std::string>& items) {
  SizeEditState state;
  const std::optional<std::int32_t> value = ParseWholeNumber(text);
  if (!value || *value <= 0) return state;
  const bool listed = IndexOfIgnoringCase(items, text) >= 0;
  state.insertEnabled = !listed;
  state.deleteEnabled = listed;
  state.canonical = std::to_string(*value);
  return state;
}

// --- construction ---------------------------------------------------------------

TCFORM::TCFORM(TMFORM& main, SettingsPanelDialogs dialogs)
    : QDialog(&main), main_(main), dialogs_(std::move(dialogs)) {
  CreateControls();
  FormCreate();
}

TCFORM::~TCFORM() { FormDestroy(); }

void TCFORM::CreateControls() {
  // Pixel sizes as laid out at 96 pixels per inch; the panel does not scale.
  setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                 Qt::WindowCloseButtonHint | Qt::WindowStaysOnTopHint);
  setFixedSize(312, 213);
  setWindowTitle(U(kSettingsCaption));
  setFont(PanelFont(Face::Gothic, 12));

  PBASE = new QFrame(this);
  PBASE->setGeometry(0, 0, 312, 179);
  PageBASE = new QTabWidget(PBASE);
  PageBASE->setGeometry(0, 0, 312, 179);
  // Five tabs share 312 pixels: tight tabs, never scroll arrows.
  PageBASE->setUsesScrollButtons(false);
  PageBASE->tabBar()->setFont(PanelFont(Face::Gothic, 11));
  PageBASE->addTab(CreateModePage(), QStringLiteral("動作モード"));
  PageBASE->addTab(CreateCorrectionPage(), QStringLiteral("画質補正"));
  PageBASE->addTab(CreateOutputPage(), QStringLiteral("出力設定"));
  PageBASE->addTab(CreateDisplayPage(), QStringLiteral("表示"));
  PageBASE->addTab(CreateAboutPage(), QStringLiteral(" (ＭＶ)"));

  btOK = new QPushButton(QStringLiteral("確定"), this);
  btOK->setGeometry(190, 185, 56, 25);
  btCancel = new QPushButton(QStringLiteral("中止"), this);
  btCancel->setGeometry(253, 185, 56, 25);
  connect(btOK, &QPushButton::clicked, this, &TCFORM::btOKClick);
  connect(btCancel, &QPushButton::clicked, this, &TCFORM::btCancelClick);
  SaveLocate = CheckBox("この設定パネルの位置を保存する", this, 10, 192, 165, 14);
  SaveLocate->setFont(PanelFont(Face::Gothic, 9));
  btCancel->setFocus();
}

QWidget* TCFORM::CreateModePage() {
  auto* page = new QWidget;
  XQTALL = CheckBox("ＡＬＬ：画像種類を限定せず「可能な限り」変換する", page, 7, 6, 291, 17);
  XQTEXT = CheckBox("ＥＸＴ：画像の種類を「拡張子で選別」して変換する", page, 7, 28, 292, 13);
  EXTGroup = new RadioGroup(QString(),
                            {"BMP (*.bmp)", "JPEG (*.jpg / *.jpeg)", "GIF (*.gif)", "PNG (*.png)",
                             "TIFF (*.tif / *.tiff)", "WMF (*.wmf)", "EMF (*.emf)", "ICON (*.ico)"},
                            2, page);
  EXTGroup->setGeometry(4, 43, 296, 102);
  EXTGroup->setEnabled(false);
  connect(XQTALL, &QCheckBox::toggled, this, &TCFORM::XQTALLClick);
  connect(XQTEXT, &QCheckBox::toggled, this, &TCFORM::XQTEXTClick);
  return page;
}

QWidget* TCFORM::CreateCorrectionPage() {
  auto* page = new QWidget;
  GammaGroup = new RadioGroup(QStringLiteral(" ガンマ補正 "),
                              {"無し", "標準", "やや濃く", "濃く"}, 4, page);
  GammaGroup->setGeometry(4, 2, 297, 40);
  SharpGroup = new RadioGroup(QStringLiteral(" シャープネス "),
                              {"無し", "標準", "やや強く", "強く"}, 4, page);
  SharpGroup->setGeometry(4, 46, 297, 40);
  EffectGroup = InsetPanel(page, {4, 95, 297, 50});
  AddGSMark = CheckBox("画質補正したファイル名をＧＳマーク付きで区別する", EffectGroup, 7, 8);
  EffectOFF = CheckBox("原寸モードの時だけ 画質補正を自動的にオフにする", EffectGroup, 7, 28);
  return page;
}

QWidget* TCFORM::CreateOutputPage() {
  auto* page = new QWidget;
  SizeGroup = new QGroupBox(QStringLiteral(" 変換サイズの追加と削除 "), page);
  SizeGroup->setGeometry(4, 1, 296, 46);
  SizeList = new QComboBox(SizeGroup);
  SizeList->setGeometry(8, 19, 81, 20);
  SizeList->setMaxVisibleItems(20);
  NumEdit = new controls::TNumEdit(SizeGroup);
  NumEdit->setGeometry(95, 19, 95, 20);
  btINS = new QPushButton(QStringLiteral("追加"), SizeGroup);
  btINS->setGeometry(197, 17, 43, 22);
  btDEL = new QPushButton(QStringLiteral("削除"), SizeGroup);
  btDEL->setGeometry(245, 17, 43, 22);
  // Only a user's choice copies the item into the edit box.
  connect(SizeList, &QComboBox::activated, this, &TCFORM::SizeListChange);
  connect(NumEdit, &QLineEdit::textChanged, this, &TCFORM::NumEditChange);
  connect(btINS, &QPushButton::clicked, this, &TCFORM::btINSClick);
  connect(btDEL, &QPushButton::clicked, this, &TCFORM::btDELClick);
  for (QPushButton* b : {btINS, btDEL}) b->setAutoDefault(false);

  JPGGroup = new RadioGroup(QStringLiteral(" 出力画像の拡張子 "),
                            {".jpg", ".jpeg", ".JPG", ".JPEG"}, 4, page);
  JPGGroup->setGeometry(4, 50, 296, 40);
  GroupBox1 = new QGroupBox(QStringLiteral(" JPEG "), page);
  GroupBox1->setGeometry(5, 91, 172, 54);
  CopyExif = CheckBox("Exif 情報があればコピーする", GroupBox1, 8, 16);
  Progress = CheckBox("プログレッシブ JPEG を出力", GroupBox1, 8, 33);
  OverWrite = new RadioGroup(QStringLiteral(" 同名変換出力 "), {"スキップ", "強制上書き"}, 1, page);
  OverWrite->setGeometry(186, 91, 114, 54);
  return page;
}

QWidget* TCFORM::CreateDisplayPage() {
  auto* page = new QWidget;
  DISPGroup = new QGroupBox(QStringLiteral(" 表示オプション "), page);
  DISPGroup->setGeometry(4, 2, 296, 58);
  cbXQTDisp = CheckBox("リサイズ処理中も、ボタンラベルを淡色表示しない", DISPGroup, 8, 18);
  cbStayTop = CheckBox("Plendo のパネルを 常に画面の最前面に表示する", DISPGroup, 8, 36);
  AlphaType = new RadioGroup(QStringLiteral(" パネルの透明化 "),
                             {"透明化しない", "非アクティブ時", "常に透明化"}, 3, page);
  AlphaType->setGeometry(3, 64, 297, 44);
  AlphaType->SetOnClick([this] { AlphaTypeClick(); });
  AlphaBASE = InsetPanel(page, {3, 113, 297, 32});
  AlphaLabel = new QLabel(QStringLiteral("透明度"), AlphaBASE);
  AlphaLabel->setGeometry(8, 9, 84, 14);
  AlphaUpDown = new QSlider(Qt::Horizontal, AlphaBASE);
  AlphaUpDown->setGeometry(92, 3, 198, 22);
  AlphaUpDown->setRange(50, 255);
  AlphaUpDown->setValue(150);
  AlphaUpDown->setSingleStep(10);
  AlphaUpDown->setPageStep(5);
  AlphaUpDown->setTickInterval(10);
  AlphaUpDown->setTickPosition(QSlider::TicksAbove);
  AlphaUpDown->setToolTip(QStringLiteral("このスライダーを左右に動かすと「透明度」が調整できます"));
  connect(AlphaUpDown, &QSlider::valueChanged, this, &TCFORM::AlphaUpDownChange);
  return page;
}

QWidget* TCFORM::CreateAboutPage() {
  auto* page = new QWidget;
  CPanel = new QFrame(page);
  CPanel->setGeometry(2, 3, 299, 144);
  CPanel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
  CPanel->setLineWidth(2);
  QPalette p = CPanel->palette();
  p.setColor(QPalette::Window, kAboutBackground);
  CPanel->setPalette(p);
  CPanel->setAutoFillBackground(true);

  IconImage = new QLabel(CPanel);
  IconImage->setGeometry(35, 21, 32, 32);
  QIcon icon = QApplication::windowIcon();
  if (icon.isNull()) icon = style()->standardIcon(QStyle::SP_DesktopIcon);
  IconImage->setPixmap(icon.pixmap(32, 32));

  Software = NavyLabel(QStringLiteral("画像一括サイズ変換"), CPanel, 120, 20);
  SoftName = NavyLabel(QStringLiteral("「Ｐｌｅｎｄｏ」"), CPanel, 78, 37);
  SoftName->setFont(PanelFont(Face::Gothic, 12, true));
  SoftName->adjustSize();
  VersionLabel = NavyLabel(QString(), CPanel, 186, 38);
  Notice = NavyLabel(QStringLiteral("Copyright (C) 2009-2026  Plendo Project"), CPanel, 16, 67);

  SupportPage = NavyLabel(QStringLiteral("<< Plendo サポートページを開く >>"), CPanel, 53, 94);
  Twitter = NavyLabel(U(kSocialHandle), CPanel, 79, 114);
  for (QLabel* link : {SupportPage, Twitter}) {
    QFont f = link->font();
    f.setUnderline(true);
    link->setFont(f);
    link->adjustSize();
    link->setCursor(Qt::PointingHandCursor);  // the hand while the mouse is over it
    link->installEventFilter(this);
  }
  return page;
}

// --- opening -----------------------------------------------------------------

void TCFORM::PlaceOnOpening() {
  const settings::SettingsLocation& location = main_.Location();
  const QPoint mainPos = main_.pos();
  const settings::SettingsPanelPlacement stored =
      settings::ReadSettingsPanelPlacement(PlacementReadPath(location), mainPos.y(), mainPos.x());
  move(stored.Left, stored.Top);
  // Both windows have the same client size; the outer size here equals the
  // main panel's outer size, its decoration known once it is shown.
  if (!main_.Settings().SaveLocate) {
    const QSize decoration = main_.frameGeometry().size() - main_.size();
    const QRect screenArea = main_.screen() ? main_.screen()->virtualGeometry() : QRect();
    move(DefaultSettingsPanelPosition(mainPos, screenArea, size() + decoration));
  }
  PageBASE->setCurrentIndex(
      stored.ActivePage >= 0 && stored.ActivePage < kPageCount ? stored.ActivePage : 0);
}

void TCFORM::FormCreate() {
  settings::AppSettings& s = main_.Settings();
  PlaceOnOpening();

  if (s.XQTMode == 0) XQTALL->setChecked(true);
  if (s.XQTMode == 1) XQTEXT->setChecked(true);

  for (const std::string& item : main_.SizeItems()) SizeList->addItem(Q(item));
  SizeList->setCurrentIndex(main_.SizeIndex());

  EXTGroup->SetItemIndex(s.XQTExt);
  JPGGroup->SetItemIndex(s.JPEGExt);
  CopyExif->setChecked(s.ExifCopy);
  Progress->setChecked(s.Progress);
  GammaGroup->SetItemIndex(s.Gamma);
  SharpGroup->SetItemIndex(s.SharpNess);
  AddGSMark->setChecked(s.AddGSMark);
  EffectOFF->setChecked(s.AutoEffOFF);
  cbXQTDisp->setChecked(s.XQTDisp);
  cbStayTop->setChecked(main_.StaysOnTop());
  AlphaType->SetItemIndex(s.AlphaBlendType);
  AlphaUpDown->setValue(std::clamp(s.AlphaBlendValue, 50, 255));
  // The slider reacts only to a change; at its start position the label
  // would read "透明度" with no number.
  AlphaUpDownChange();

  SavedAlphaBlendType = s.AlphaBlendType;
  SavedAlphaBlendValue = s.AlphaBlendValue;

  SaveLocate->setChecked(s.SaveLocate);

  SetTextColour(NumEdit, kHintGray);
  NumEdit->setText(U(kNumEditHint));

  // Decided once: choosing a correction afterwards does not enable it.
  AddGSMark->setEnabled(GammaGroup->ItemIndex() > 0 || SharpGroup->ItemIndex() > 0);

  VersionLabel->setText(U(kVersionText));
  VersionLabel->adjustSize();

  if (s.OutOrigDir) {
    OverWrite->SetItemIndex(0);
    OverWrite->setEnabled(false);
  } else {
    OverWrite->SetItemIndex(s.OverWrite ? 1 : 0);
  }
}

// --- mode page -----------------------------------------------------------------

void TCFORM::XQTALLClick() { XQTEXT->setChecked(!XQTALL->isChecked()); }

void TCFORM::XQTEXTClick() {
  XQTALL->setChecked(!XQTEXT->isChecked());
  EXTGroup->setEnabled(XQTEXT->isChecked());
}

// --- size list -----------------------------------------------------------------

std::vector<std::string> TCFORM::SizeListItems() const {
  std::vector<std::string> items;
  for (int i = 0; i < SizeList->count(); ++i) items.push_back(SizeList->itemText(i).toStdString());
  return items;
}

void TCFORM::SizeListChange() { NumEdit->setText(SizeList->currentText()); }

void TCFORM::NumEditChange() {
  const SizeEditState state = EvaluateSizeEdit(NumEdit->text().toStdString(), SizeListItems());
  btINS->setEnabled(state.insertEnabled);
  btDEL->setEnabled(state.deleteEnabled);
  if (!state.insertEnabled && !state.deleteEnabled) return;
  SetTextColour(NumEdit, QApplication::palette().color(QPalette::Active, QPalette::Text));
  if (NumEdit->text() != Q(state.canonical)) NumEdit->setText(Q(state.canonical));
}

void TCFORM::btINSClick() {
  // With no item selected (the main panel held a typed size) the new size
  // goes after "原寸", which must stay the first item.
  const int after = std::max(SizeList->currentIndex(), 0);
  const QString text = NumEdit->text();
  if (!AskYesNo(QStringLiteral("変換サイズ一覧の「") + SizeList->itemText(after) +
                QStringLiteral("」の次の行に、新しく「") + text +
                QStringLiteral("」というサイズ数値を挿入してもよろしいですか？")))
    return;
  NumEdit->clear();
  SizeList->insertItem(after + 1, text);
  SizeList->setCurrentIndex(after + 1);
  ShowNotice(QStringLiteral("新しい変換サイズ「") + text +
             QStringLiteral("」を一覧に追加しました。念のため、もう一度、変換サイズ一覧を開いてご確認ください。"));
}

void TCFORM::btDELClick() {
  const QString text = NumEdit->text();
  const int first = IndexOfIgnoringCase(SizeListItems(), text.toStdString());
  if (first < 0) return;
  if (!AskYesNo(QStringLiteral("変換サイズ一覧から「") + text +
                QStringLiteral("」というサイズを削除してもよろしいですか？")))
    return;
  NumEdit->clear();
  for (int i = SizeList->count() - 1; i >= first; --i) {
    if (SizeList->itemText(i) == text) SizeList->removeItem(i);
  }
  ShowNotice(QStringLiteral("変換サイズ「") + text +
             QStringLiteral("」を一覧から削除しました。念のため、もう一度、変換サイズ一覧を開いてご確認ください。"));
  SizeList->setCurrentIndex(first - 1);
}

bool TCFORM::AskYesNo(const QString& text) {
  platform::Beep();
  return dialogs_.askYesNo && dialogs_.askYesNo(this, text);
}

void TCFORM::ShowNotice(const QString& text) {
  platform::Beep();
  if (dialogs_.showNotice) dialogs_.showNotice(this, text);
}

// --- transparency ----------------------------------------------------------------

void TCFORM::AlphaTypeClick() {
  main_.Settings().AlphaBlendType = AlphaType->ItemIndex();
  const bool on = AlphaType->ItemIndex() > 0;
  AlphaLabel->setEnabled(on);
  AlphaUpDown->setEnabled(on);
  RedispMFORM();
}

void TCFORM::AlphaUpDownChange() {
  AlphaLabel->setText(QStringLiteral(" 透明度 ： ") + QString::number(AlphaUpDown->value()) +
                      QStringLiteral(" "));
  main_.Settings().AlphaBlendValue = AlphaUpDown->value();
  RedispMFORM();
}

// The main panel applies its opacity on activation only in mode 2; mode 1 is
// shown as 2 for the moment so the preview is visible while this panel is
// the active window.
void TCFORM::RedispMFORM() {
  settings::AppSettings& s = main_.Settings();
  if (s.AlphaBlendType != 0) s.AlphaBlendType = 2;
  main_.AppActivate();
  s.AlphaBlendType = AlphaType->ItemIndex();
}

// --- closing -----------------------------------------------------------------

void TCFORM::btOKClick() {
  settings::AppSettings& s = main_.Settings();
  main_.SetSizeItems(SizeListItems());
  // With no item selected the main panel keeps the size typed into it.
  if (SizeList->currentIndex() >= 0) main_.SetSizeIndex(SizeList->currentIndex());

  s.XQTMode = XQTEXT->isChecked() ? 1 : 0;
  s.XQTExt = EXTGroup->ItemIndex();
  s.JPEGExt = JPGGroup->ItemIndex();
  s.ExifCopy = CopyExif->isChecked();
  s.Progress = Progress->isChecked();
  s.Gamma = GammaGroup->ItemIndex();
  s.SharpNess = SharpGroup->ItemIndex();
  s.AddGSMark = AddGSMark->isChecked();
  s.AutoEffOFF = EffectOFF->isChecked();
  s.XQTDisp = cbXQTDisp->isChecked();
  s.SaveLocate = SaveLocate->isChecked();
  s.AlphaBlendType = AlphaType->ItemIndex();
  s.AlphaBlendValue = AlphaUpDown->value();

  main_.SetStaysOnTop(cbStayTop->isChecked());
  if (!s.OutOrigDir) s.OverWrite = OverWrite->ItemIndex() == 1;
  accept();
}

void TCFORM::btCancelClick() {
  settings::AppSettings& s = main_.Settings();
  s.AlphaBlendType = SavedAlphaBlendType;
  s.AlphaBlendValue = SavedAlphaBlendValue;
  PageBASE->setCurrentIndex(0);
  reject();
}

void TCFORM::keyPressEvent(QKeyEvent* event) {
  // Escape is "中止"; the window's close box only closes.
  if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
    btCancelClick();
    return;
  }
  QDialog::keyPressEvent(event);
}

void TCFORM::FormDestroy() {
  if (destroyed_) return;
  destroyed_ = true;
  try {
    settings::WriteSettingsPanelPlacement(main_.Location().writePath, main_.y(), main_.x(),
                                          {y(), x(), PageBASE->currentIndex()});
  } catch (const std::exception& e) {
    // The panel shows no messages about the settings file.
    std::fprintf(stderr, "plendo: settings panel position not saved: %s\n", e.what());
  }
  main_.AppActivate();
  main_.btTERM->setFocus();
}

// --- about page ------------------------------------------------------------------

void TCFORM::SupportPageClick() {
  if (dialogs_.openUrl) dialogs_.openUrl(QUrl(U(kSupportPageUrl)));
}

void TCFORM::TwitterClick() {
  if (dialogs_.openUrl) dialogs_.openUrl(QUrl(U(kSocialPageUrl)));
}

bool TCFORM::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::MouseButtonRelease &&
      static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
    if (watched == SupportPage) SupportPageClick();
    if (watched == Twitter) TwitterClick();
  }
  return QDialog::eventFilter(watched, event);
}

}  // namespace plendo::app
