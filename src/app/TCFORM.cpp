#include "app/TCFORM.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDesktopServices>
#include <QKeyEvent>
#include <QLabel>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPushButton>
#include <QScreen>
#include <QSlider>
#include <QTabWidget>
#include <algorithm>
#include <cstdio>
#include <system_error>

#include "app/PanelColours.h"
#include "app/PanelTexts.h"
#include "app/RadioGroup.h"
#include "BuildInfo.h"
#include "app/TMFORM.h"
#include "controls/TNumEdit.h"
#include "engine/OutputFormat.h"
#include "controls/TNumEdit.h"
#include "platform/Beep.h"
#include "settings/SettingsStore.h"

namespace plendo::app {
namespace {

QString Q(const std::string& s) { return QString::fromStdString(s); }
QString U(const char* s) { return QString::fromUtf8(s); }

const QColor kHintGray(128, 128, 128);

// The file the panel reads its entries from: the one it writes to, or while
// that does not exist yet, the one start-up read.
std::filesystem::path PlacementReadPath(const settings::SettingsLocation& location) {
  std::error_code ec;
  return std::filesystem::exists(location.writePath, ec) ? location.writePath : location.readPath;
}

}  // namespace

SettingsPanelDialogs DefaultSettingsPanelDialogs() {
  SettingsPanelDialogs d;
  d.askYesNo = [](QWidget* owner, const QString& text) {
    QMessageBox box(QMessageBox::Question, TCFORM::tr("確認"), text, QMessageBox::NoButton,
                    owner);
    QPushButton* yes = box.addButton(TCFORM::tr("はい(&Y)"), QMessageBox::YesRole);
    box.addButton(TCFORM::tr("いいえ(&N)"), QMessageBox::NoRole);
    box.setDefaultButton(yes);
    box.exec();
    return box.clickedButton() == yes;
  };
  d.showNotice = [](QWidget* owner, const QString& text) {
    QMessageBox box(QMessageBox::NoIcon, QString::fromUtf8(kAppTitle), text,
                    QMessageBox::Ok, owner);
    box.exec();
  };
  d.openUrl = [](const QUrl& url) { QDesktopServices::openUrl(url); };
  d.pages = BuiltInWebPages();
  return d;
}

WebPages BuiltInWebPages() { return {build::kSupportPageUrl, build::kSocialPageUrl}; }

// --- construction ---------------------------------------------------------------

TCFORM::TCFORM(TMFORM& main, SettingsPanelDialogs dialogs)
    : QDialog(&main), main_(main), dialogs_(std::move(dialogs)) {
  CreateControls();
  FormCreate();
}

TCFORM::~TCFORM() { FormDestroy(); }

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
      stored.ActivePage >= 0 && stored.ActivePage < PageBASE->count() ? stored.ActivePage : 0);
}

void TCFORM::FormCreate() {
  settings::AppSettings& s = main_.Settings();
  PlaceOnOpening();

  if (s.XQTMode == 0) XQTALL->setChecked(true);
  if (s.XQTMode == 1) XQTEXT->setChecked(true);

  for (const std::string& item : main_.SizeItems()) SizeList->addItem(ShownSizeItem(item));
  SizeList->setCurrentIndex(main_.SizeIndex());

  EXTGroup->SetItemIndex(s.XQTExt);
  JPGGroup->SetItemIndex(s.JPEGExt);
  CopyExif->setChecked(s.ExifCopy);
  Progress->setChecked(s.Progress);
  FormatGroup->SetItemIndex(engine::FormatOf(s.OutFormat));
  MaxFileKB->setText(QString::number(std::max(s.MaxFileKB, 0)));
  NoLocation->setChecked(s.NoLocation);
  GammaGroup->SetItemIndex(s.Gamma);
  SharpGroup->SetItemIndex(s.SharpNess);
  AddGSMark->setChecked(s.AddGSMark);
  EffectOFF->setChecked(s.AutoEffOFF);
  NoEnlarge->setChecked(s.NoEnlarge);
  FolderDrop->setChecked(s.FolderDrop);
  // A value the panel does not know reads as Japanese, as the panel speaks it.
  LanguageBox->setCurrentIndex(s.Language >= settings::kLanguageJapanese && s.Language <= settings::kLanguageDesktop
                                   ? s.Language
                                   : settings::kLanguageJapanese);
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

  SetEditTextColour(NumEdit, kHintGray);
  NumEdit->setText(tr(kNumEditHint));

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
  for (int i = 0; i < SizeList->count(); ++i) items.push_back(StoredSizeItem(SizeList->itemText(i)));
  return items;
}

void TCFORM::SizeListChange() { NumEdit->setText(SizeList->currentText()); }

void TCFORM::NumEditChange() {
  const SizeEditState state = EvaluateSizeEdit(NumEdit->text().toStdString(), SizeListItems());
  btINS->setEnabled(state.insertEnabled);
  btDEL->setEnabled(state.deleteEnabled);
  if (!state.insertEnabled && !state.deleteEnabled) return;
  SetEditTextColour(NumEdit, QApplication::palette().color(QPalette::Active, QPalette::Text));
  if (NumEdit->text() != Q(state.canonical)) NumEdit->setText(Q(state.canonical));
}

void TCFORM::btINSClick() {
  // With no item selected (the main panel held a typed size) the new size
  // goes after "原寸", which must stay the first item.
  const int after = std::max(SizeList->currentIndex(), 0);
  const QString text = NumEdit->text();
  if (!AskYesNo(tr("変換サイズ一覧の「%1」の次の行に、新しく「%2」というサイズ数値を挿入してもよろしいですか？")
                    .arg(SizeList->itemText(after), text)))
    return;
  NumEdit->clear();
  SizeList->insertItem(after + 1, text);
  SizeList->setCurrentIndex(after + 1);
  ShowNotice(tr("新しい変換サイズ「%1」を一覧に追加しました。念のため、もう一度、変換サイズ一覧を開いてご確認ください。")
                 .arg(text));
}

void TCFORM::btDELClick() {
  const QString text = NumEdit->text();
  const int first = IndexOfIgnoringCase(SizeListItems(), text.toStdString());
  if (first < 0) return;
  if (!AskYesNo(tr("変換サイズ一覧から「%1」というサイズを削除してもよろしいですか？").arg(text)))
    return;
  NumEdit->clear();
  for (int i = SizeList->count() - 1; i >= first; --i) {
    if (SizeList->itemText(i) == text) SizeList->removeItem(i);
  }
  ShowNotice(tr("変換サイズ「%1」を一覧から削除しました。念のため、もう一度、変換サイズ一覧を開いてご確認ください。")
                 .arg(text));
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
  AlphaLabel->setText(tr(" 透明度 ： %1 ").arg(AlphaUpDown->value()));
  main_.Settings().AlphaBlendValue = AlphaUpDown->value();
  RedispMFORM();
}

// The main panel applies its opacity on activation only in mode 2; mode 1 is
// shown as 2 for the moment so the preview is visible while this panel is
// the active window.
void TCFORM::RedispMFORM() {
  settings::AppSettings& s = main_.Settings();
  const int stored = s.AlphaBlendType;
  if (s.AlphaBlendType != 0) s.AlphaBlendType = 2;
  main_.AppActivate();
  // With no button checked (a stored index out of range) the value stays.
  s.AlphaBlendType = AlphaType->ItemIndex() >= 0 ? AlphaType->ItemIndex() : stored;
}

// --- closing -----------------------------------------------------------------

void TCFORM::btOKClick() {
  settings::AppSettings& s = main_.Settings();
  main_.SetSizeItems(SizeListItems());
  // With no item selected the main panel keeps the size typed into it.
  if (SizeList->currentIndex() >= 0) main_.SetSizeIndex(SizeList->currentIndex());

  s.XQTMode = XQTEXT->isChecked() ? 1 : 0;
  // A group left without a checked button (its stored index was out of
  // range) keeps the stored value rather than writing -1.
  const auto chosen = [](const RadioGroup* group, int stored) {
    return group->ItemIndex() >= 0 ? group->ItemIndex() : stored;
  };
  s.XQTExt = chosen(EXTGroup, s.XQTExt);
  s.JPEGExt = chosen(JPGGroup, s.JPEGExt);
  s.ExifCopy = CopyExif->isChecked();
  s.Progress = Progress->isChecked();
  s.OutFormat = chosen(FormatGroup, s.OutFormat);
  s.MaxFileKB = MaxFileKB->text().toInt();  // digits only; empty or too long reads 0, no limit
  s.NoLocation = NoLocation->isChecked();
  s.Gamma = chosen(GammaGroup, s.Gamma);
  s.SharpNess = chosen(SharpGroup, s.SharpNess);
  s.AddGSMark = AddGSMark->isChecked();
  s.AutoEffOFF = EffectOFF->isChecked();
  s.NoEnlarge = NoEnlarge->isChecked();
  s.FolderDrop = FolderDrop->isChecked();
  s.Language = LanguageBox->currentIndex();
  s.XQTDisp = cbXQTDisp->isChecked();
  s.SaveLocate = SaveLocate->isChecked();
  s.AlphaBlendType = chosen(AlphaType, SavedAlphaBlendType);
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
    settings::WriteSettingsPanelPlacement(main_.Location(), main_.y(), main_.x(),
                                          {y(), x(), PageBASE->currentIndex()});
  } catch (const std::exception& e) {
    // The panel shows no messages about the settings file.
    std::fprintf(stderr, "plendo: settings panel position not saved: %s\n", e.what());
  }
  main_.AppActivate();
  main_.btTERM->setFocus();
}

// --- about page ------------------------------------------------------------------

void TCFORM::SupportPageClick() { OpenPage(dialogs_.pages.support); }

void TCFORM::TwitterClick() { OpenPage(dialogs_.pages.social); }

void TCFORM::OpenPage(const std::string& address) {
  if (!address.empty() && dialogs_.openUrl) dialogs_.openUrl(QUrl(Q(address)));
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
