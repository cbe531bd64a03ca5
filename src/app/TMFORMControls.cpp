// Builds the main panel's controls at their fixed places and wires them to
// their handlers; FormCreate then fills them from the settings.
#include <QAction>
#include <QComboBox>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>

#include "app/PanelColours.h"
#include "app/PanelFonts.h"
#include "app/PanelTexts.h"
#include "app/PreviewWidget.h"
#include "app/TMFORM.h"
#include "app/TPanelBase.h"
#include "controls/TStatusLED.h"
#include "engine/ResizeEngine.h"
#include "settings/SizeList.h"

namespace plendo::app {
namespace {

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

}  // namespace

void TMFORM::CreateControls() {
  // Pixel sizes as laid out at 96 pixels per inch; the panel does not scale.
  setFixedSize(312, 213);
  setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                 Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint |
                 Qt::WindowStaysOnTopHint);
  setFont(PanelFont(Face::Gothic, 12));
  setAcceptDrops(true);

  // The focus chain follows the order of creation; Tab from btTERM goes to
  // btWOUT.
  CreateFolderButton();
  CreateMonitor();
  CreateSizeBox();
  CreateStatusRow();
  CreateButtons();
  CreateFolderMenu();
  setTabOrder(btTERM, btWOUT);
  btTERM->setFocus();
}

void TMFORM::CreateFolderButton() {
  WOBASE = new TPanelBase(this);
  WOBASE->setGeometry(5, 4, 302, 27);
  btWOUT = new QPushButton(tr(kCaptionChooseFolder), WOBASE);
  btWOUT->setGeometry(0, 1, 302, 26);
  btWOUT->setFont(PanelFont(Face::Meiryo, 12));
  connect(btWOUT, &QPushButton::clicked, this, &TMFORM::btWOUTClick);
}

void TMFORM::CreateMonitor() {
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
}

void TMFORM::CreateSizeBox() {
  GSizeBox = new QGroupBox(tr(" 変換サイズ "), this);
  GSizeGate_ = new InputGate(GSizeBox);
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

  RG1 = new QRadioButton(tr("長"), GSizeBox);
  RG1->setGeometry(6, 45, 33, 17);
  RG2 = new QRadioButton(tr("横"), GSizeBox);
  RG2->setGeometry(42, 45, 33, 17);
  RG3 = new QRadioButton(tr("縦"), GSizeBox);
  RG3->setGeometry(79, 45, 30, 17);
  for (QRadioButton* rg : {RG1, RG2, RG3}) rg->setFont(PanelFont(Face::Meiryo, 11));
  RG1->setChecked(true);
}

void TMFORM::CreateStatusRow() {
  grStatus = new QGroupBox(tr(" 処理状況 "), this);
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
}

void TMFORM::CreateButtons() {
  CSBASE = new TPanelBase(this);
  CSBASE->setGeometry(189, 182, 56, 25);
  btCUST = new QPushButton(tr("設定"), CSBASE);
  btCUST->setGeometry(0, 0, 56, 25);
  btCUST->setFont(PanelFont(Face::Meiryo, 12));
  btCUST->setEnabled(false);
  connect(btCUST, &QPushButton::clicked, this, &TMFORM::btCUSTClick);

  btTERM = new QPushButton(EngineText(engine::kCaptionEnd), this);
  btTERM->setGeometry(251, 182, 56, 25);
  btTERM->setFont(PanelFont(Face::Meiryo, 12));
  connect(btTERM, &QPushButton::clicked, this, &TMFORM::btTERMClick);
}

void TMFORM::CreateFolderMenu() {
  PMenu = new QMenu(this);
  N1 = PMenu->addAction(tr("保存フォルダを指定して出力"));
  N2 = PMenu->addAction(tr("元画像と同じフォルダに出力"));
  connect(N1, &QAction::triggered, this, &TMFORM::SelectWOutFolder);
  connect(N2, &QAction::triggered, this, &TMFORM::SetWOutSameFolder);
}

}  // namespace plendo::app
