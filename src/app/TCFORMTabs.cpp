// Builds the settings panel's window, its buttons and its five tabs, one
// builder per tab. Every control gets its fixed place here; FormCreate then
// fills them from the settings.
#include <algorithm>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QIcon>
#include <QLabel>
#include <QProxyStyle>
#include <QPushButton>
#include <QSlider>
#include <QStyle>
#include <QTabBar>
#include <QTabWidget>

#include "app/PanelColours.h"
#include "app/PanelFonts.h"
#include "app/RadioGroup.h"
#include "app/TCFORM.h"
#include "controls/TNumEdit.h"

namespace plendo::app {
namespace {

QString U(const char* s) { return QString::fromUtf8(s); }

const QColor kNavy(0, 0, 128);
const QColor kAboutBackground(255, 255, 200);

QCheckBox* CheckBox(const QString& caption, QWidget* parent, int left, int top, int width = 0,
                    int height = 0) {
  auto* box = new QCheckBox(caption, parent);
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

// Keeps every label of `panel` inside its edges: one that runs past the
// right edge moves left, and one wider than the panel gets a smaller font.
// Fonts differ from system to system, so the designed places are kept only
// where the text fits.
void FitLabelsInside(QFrame* panel) {
  const int inner = panel->width() - 2 * panel->frameWidth();
  for (QLabel* label : panel->findChildren<QLabel*>()) {
    QFont font = label->font();
    while (label->width() > inner && font.pixelSize() > 7) {
      font.setPixelSize(font.pixelSize() - 1);
      label->setFont(font);
      label->adjustSize();
    }
    const int overshoot = label->x() + label->width() - (panel->frameWidth() + inner);
    if (overshoot > 0) label->move(std::max(panel->frameWidth(), label->x() - overshoot), label->y());
  }
}

// Six tabs in 312 pixels: the style's room beside each tab's text is
// halved, so that the last tab is not pushed out of the bar.
class TightTabStyle : public QProxyStyle {
 public:
  int pixelMetric(PixelMetric metric, const QStyleOption* option, const QWidget* widget) const override {
    const int value = QProxyStyle::pixelMetric(metric, option, widget);
    return metric == PM_TabBarTabHSpace ? value / 2 : value;
  }
};

// A panel with a raised edge inside a lowered one.
QFrame* InsetPanel(QWidget* parent, const QRect& geometry) {
  auto* frame = new QFrame(parent);
  frame->setGeometry(geometry);
  frame->setFrameStyle(QFrame::Panel | QFrame::Sunken);
  frame->setLineWidth(1);
  return frame;
}

}  // namespace

void TCFORM::CreateControls() {
  // Pixel sizes as laid out at 96 pixels per inch; the panel does not scale.
  setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                 Qt::WindowCloseButtonHint | Qt::WindowStaysOnTopHint);
  setFixedSize(312, 213);
  setWindowTitle(tr(kSettingsCaption));
  setFont(PanelFont(Face::Gothic, 12));

  PBASE = new QFrame(this);
  PBASE->setGeometry(0, 0, 312, 179);
  PageBASE = new QTabWidget(PBASE);
  PageBASE->setGeometry(0, 0, 312, 179);
  // Six tabs share 312 pixels: tight tabs, never scroll arrows.
  PageBASE->setUsesScrollButtons(false);
  PageBASE->tabBar()->setFont(PanelFont(Face::Gothic, 11));
  auto* tabStyle = new TightTabStyle;
  tabStyle->setParent(PageBASE->tabBar());  // a widget does not own its style
  PageBASE->tabBar()->setStyle(tabStyle);
  PageBASE->addTab(CreateModePage(), tr("動作モード"));
  PageBASE->addTab(CreateCorrectionPage(), tr("画質補正"));
  PageBASE->addTab(CreateOutputPage(), tr("出力設定"));
  PageBASE->addTab(CreateDisplayPage(), tr("表示"));
  PageBASE->addTab(CreateAboutPage(), tr(" (ＭＶ)"));
  // The output's file format and what travels with it; last, so that the
  // first five keep their places.
  PageBASE->addTab(CreateFormatPage(), tr("形式"));

  btOK = new QPushButton(tr("確定"), this);
  btOK->setGeometry(190, 185, 56, 25);
  btCancel = new QPushButton(tr("中止"), this);
  btCancel->setGeometry(253, 185, 56, 25);
  connect(btOK, &QPushButton::clicked, this, &TCFORM::btOKClick);
  connect(btCancel, &QPushButton::clicked, this, &TCFORM::btCancelClick);
  // The panel has no default button: Enter on a check box presses nothing.
  for (QPushButton* b : {btOK, btCancel}) b->setAutoDefault(false);
  SaveLocate = CheckBox(tr("この設定パネルの位置を保存する"), this, 10, 192, 165, 14);
  SaveLocate->setFont(PanelFont(Face::Gothic, 9));
  btCancel->setFocus();
}

QWidget* TCFORM::CreateModePage() {
  auto* page = new QWidget;
  XQTALL = CheckBox(tr("ＡＬＬ：画像種類を限定せず「可能な限り」変換する"), page, 7, 6, 291, 17);
  XQTEXT = CheckBox(tr("ＥＸＴ：画像の種類を「拡張子で選別」して変換する"), page, 7, 28, 292, 13);
  EXTGroup = new RadioGroup(QString(),
                            {"BMP (*.bmp)", "JPEG (*.jpg / *.jpeg)", "GIF (*.gif)", "PNG (*.png)",
                             "TIFF (*.tif / *.tiff)", "WMF (*.wmf)", "EMF (*.emf)", "ICON (*.ico)"},
                            2, page);
  EXTGroup->setGeometry(4, 43, 296, 78);
  EXTGroup->setEnabled(false);
  NoEnlarge = CheckBox(tr("元画像より大きくしない"), page, 7, 124, 150, 13);
  FolderDrop = CheckBox(tr("フォルダ内の画像も変換"), page, 7, 140, 150, 13);
  // Each language by its own name; the choice takes effect at the next start.
  LanguageLabel = new QLabel(U(kLanguageLabel), page);
  LanguageLabel->setFont(PanelFont(Face::Gothic, 11));
  LanguageLabel->setGeometry(162, 122, 136, 14);
  LanguageBox = new QComboBox(page);
  LanguageBox->addItems({QStringLiteral("日本語"), QStringLiteral("English"), tr("デスクトップに合わせる")});
  LanguageBox->setGeometry(162, 136, 136, 19);
  LanguageBox->setToolTip(tr("Plendo を次に起動した時から、この言語で表示します"));
  connect(XQTALL, &QCheckBox::toggled, this, &TCFORM::XQTALLClick);
  connect(XQTEXT, &QCheckBox::toggled, this, &TCFORM::XQTEXTClick);
  return page;
}

QWidget* TCFORM::CreateCorrectionPage() {
  auto* page = new QWidget;
  GammaGroup = new RadioGroup(tr(" ガンマ補正 "),
                              {tr("無し"), tr("標準"), tr("やや濃く"), tr("濃く")}, 4, page);
  GammaGroup->setGeometry(4, 2, 297, 40);
  SharpGroup = new RadioGroup(tr(" シャープネス "),
                              {tr("無し"), tr("標準"), tr("やや強く"), tr("強く")}, 4, page);
  SharpGroup->setGeometry(4, 46, 297, 40);
  EffectGroup = InsetPanel(page, {4, 95, 297, 50});
  AddGSMark = CheckBox(tr("画質補正したファイル名をＧＳマーク付きで区別する"), EffectGroup, 7, 8);
  EffectOFF = CheckBox(tr("原寸モードの時だけ 画質補正を自動的にオフにする"), EffectGroup, 7, 28);
  return page;
}

QWidget* TCFORM::CreateOutputPage() {
  auto* page = new QWidget;
  SizeGroup = new QGroupBox(tr(" 変換サイズの追加と削除 "), page);
  SizeGroup->setGeometry(4, 1, 296, 46);
  SizeList = new QComboBox(SizeGroup);
  SizeList->setGeometry(8, 19, 81, 20);
  SizeList->setMaxVisibleItems(20);
  NumEdit = new controls::TNumEdit(SizeGroup);
  NumEdit->setGeometry(95, 19, 95, 20);
  btINS = new QPushButton(tr("追加"), SizeGroup);
  btINS->setGeometry(197, 17, 43, 22);
  btDEL = new QPushButton(tr("削除"), SizeGroup);
  btDEL->setGeometry(245, 17, 43, 22);
  // Only a user's choice copies the item into the edit box.
  connect(SizeList, &QComboBox::activated, this, &TCFORM::SizeListChange);
  connect(NumEdit, &QLineEdit::textChanged, this, &TCFORM::NumEditChange);
  connect(btINS, &QPushButton::clicked, this, &TCFORM::btINSClick);
  connect(btDEL, &QPushButton::clicked, this, &TCFORM::btDELClick);
  for (QPushButton* b : {btINS, btDEL}) b->setAutoDefault(false);

  JPGGroup = new RadioGroup(tr(" 出力画像の拡張子 "),
                            {".jpg", ".jpeg", ".JPG", ".JPEG"}, 4, page);
  JPGGroup->setGeometry(4, 50, 296, 40);
  GroupBox1 = new QGroupBox(QStringLiteral(" JPEG "), page);
  GroupBox1->setGeometry(5, 91, 172, 54);
  CopyExif = CheckBox(tr("Exif 情報があればコピーする"), GroupBox1, 8, 16);
  Progress = CheckBox(tr("プログレッシブ JPEG を出力"), GroupBox1, 8, 33);
  OverWrite = new RadioGroup(tr(" 同名変換出力 "), {tr("スキップ"), tr("強制上書き")}, 1, page);
  OverWrite->setGeometry(186, 91, 114, 54);
  return page;
}

QWidget* TCFORM::CreateFormatPage() {
  auto* page = new QWidget;
  FormatGroup = new RadioGroup(tr(" 出力形式 "), {"JPEG", "PNG", "WebP", "AVIF", "JPEG XL"}, 3, page);
  FormatGroup->setGeometry(4, 2, 296, 56);
  SizeLimitGroup = new QGroupBox(tr(" ファイルサイズ上限 (KB) "), page);
  SizeLimitGroup->setGeometry(4, 62, 296, 46);
  MaxFileKB = new controls::TNumEdit(SizeLimitGroup);
  MaxFileKB->setGeometry(8, 19, 81, 20);
  MaxFileKB->setMaxLength(9);
  SizeLimitNote = new QLabel(tr("0 で上限なし（PNG には適用されません）"), SizeLimitGroup);
  SizeLimitNote->setFont(PanelFont(Face::Gothic, 10));
  SizeLimitNote->adjustSize();
  SizeLimitNote->move(95, 22);
  NoLocation = CheckBox(tr("位置情報を削除"), page, 8, 118);
  return page;
}

QWidget* TCFORM::CreateDisplayPage() {
  auto* page = new QWidget;
  DISPGroup = new QGroupBox(tr(" 表示オプション "), page);
  DISPGroup->setGeometry(4, 2, 296, 58);
  cbXQTDisp = CheckBox(tr("リサイズ処理中も、ボタンラベルを淡色表示しない"), DISPGroup, 8, 18);
  cbStayTop = CheckBox(tr("Plendo のパネルを 常に画面の最前面に表示する"), DISPGroup, 8, 36);
  AlphaType = new RadioGroup(tr(" パネルの透明化 "),
                             {tr("透明化しない"), tr("非アクティブ時"), tr("常に透明化")}, 3, page);
  AlphaType->setGeometry(3, 64, 297, 44);
  AlphaType->SetOnClick([this] { AlphaTypeClick(); });
  AlphaBASE = InsetPanel(page, {3, 113, 297, 32});
  AlphaLabel = new QLabel(tr("透明度"), AlphaBASE);
  AlphaLabel->setGeometry(8, 9, 84, 14);
  AlphaUpDown = new QSlider(Qt::Horizontal, AlphaBASE);
  AlphaUpDown->setGeometry(92, 3, 198, 22);
  AlphaUpDown->setRange(50, 255);
  AlphaUpDown->setValue(150);
  AlphaUpDown->setSingleStep(10);
  AlphaUpDown->setPageStep(5);
  AlphaUpDown->setTickInterval(10);
  AlphaUpDown->setTickPosition(QSlider::TicksAbove);
  AlphaUpDown->setToolTip(tr("このスライダーを左右に動かすと「透明度」が調整できます"));
  connect(AlphaUpDown, &QSlider::valueChanged, this, &TCFORM::AlphaUpDownChange);
  return page;
}

QWidget* TCFORM::CreateAboutPage() {
  auto* page = new QWidget;
  CPanel = new QFrame(page);
  CPanel->setGeometry(2, 3, 299, 144);
  CPanel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
  CPanel->setLineWidth(2);
  SetBackground(CPanel, kAboutBackground);

  IconImage = new QLabel(CPanel);
  IconImage->setGeometry(35, 21, 32, 32);
  QIcon icon = QApplication::windowIcon();
  if (icon.isNull()) icon = style()->standardIcon(QStyle::SP_DesktopIcon);
  IconImage->setPixmap(icon.pixmap(32, 32));

  Software = NavyLabel(tr("画像一括サイズ変換"), CPanel, 120, 20);
  SoftName = NavyLabel(tr("「Ｐｌｅｎｄｏ」"), CPanel, 78, 37);
  SoftName->setFont(PanelFont(Face::Gothic, 12, true));
  SoftName->adjustSize();
  VersionLabel = NavyLabel(QString(), CPanel, 186, 38);
  Notice = NavyLabel(QStringLiteral("Copyright (C) 2009-2026  Plendo Project"), CPanel, 16, 67);

  SupportPage = NavyLabel(tr("<< Plendo サポートページを開く >>"), CPanel, 53, 94);
  Twitter = NavyLabel(U(kSocialHandle), CPanel, 79, 114);
  const std::pair<QLabel*, const std::string*> links[] = {{SupportPage, &dialogs_.pages.support},
                                                          {Twitter, &dialogs_.pages.social}};
  for (const auto& [link, address] : links) {
    link->installEventFilter(this);
    if (address->empty()) continue;
    QFont f = link->font();
    f.setUnderline(true);
    link->setFont(f);
    link->adjustSize();
    link->setCursor(Qt::PointingHandCursor);  // the hand while the mouse is over it
  }
  License = NavyLabel(U(kLicenseText), CPanel, 0, 129);
  License->setFont(PanelFont(Face::Gothic, 9));
  License->adjustSize();
  License->move((CPanel->width() - License->width()) / 2, 129);
  FitLabelsInside(CPanel);
  return page;
}

}  // namespace plendo::app
