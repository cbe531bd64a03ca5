#pragma once
// The settings panel: a second always-on-top window with five tabs, opened
// modally by the main panel's "設定" button and destroyed when it closes.
// It edits copies of the settings and of the main panel's size list; "確定"
// copies them back. Only the transparency choice acts at once (a live preview
// on the main panel), and "中止" takes it back. Its own position and tab go
// to the settings file entry by entry when it closes, however it closes.
#include <QCoreApplication>
#include <QDialog>
#include <QRect>
#include <QString>
#include <QUrl>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "app/SettingsPanelRules.h"

class QCheckBox;
class QComboBox;
class QFrame;
class QGroupBox;
class QLabel;
class QPushButton;
class QSlider;
class QTabWidget;
class QWidget;

namespace plendo::controls {
class TNumEdit;
}

namespace plendo::app {

class RadioGroup;
class TMFORM;

inline constexpr char kSettingsCaption[] = QT_TRANSLATE_NOOP("plendo::app::TCFORM", " Plendo 設定パネル");
inline constexpr char kVersionText[] = "Version 1.26";
inline constexpr char kNumEditHint[] = QT_TRANSLATE_NOOP("plendo::app::TCFORM", "ここに数値入力");
inline constexpr char kSocialHandle[] = "@plendo_app";
inline constexpr char kLicenseText[] = "License: GNU GPL version 3 or later";
// The label of the language choice, in both languages so that anyone finds it.
inline constexpr char kLanguageLabel[] = "表示言語 / Language";

// The maker's two web pages. A page without an address leaves its label as
// plain text: no underline, no hand cursor, nothing opened.
struct WebPages {
  std::string support;
  std::string social;
};
// The addresses the program was built with.
WebPages BuiltInWebPages();

// What the panel shows the user besides itself. The boxes are the modal
// message boxes; the panel sounds the beep before each. Tests replace them.
struct SettingsPanelDialogs {
  std::function<bool(QWidget* owner, const QString& text)> askYesNo;
  std::function<void(QWidget* owner, const QString& text)> showNotice;
  std::function<void(const QUrl& url)> openUrl;  // a failure is ignored
  WebPages pages;
};
SettingsPanelDialogs DefaultSettingsPanelDialogs();

class TCFORM : public QDialog {
  Q_OBJECT
 public:
  explicit TCFORM(TMFORM& main, SettingsPanelDialogs dialogs = DefaultSettingsPanelDialogs());
  ~TCFORM() override;  // FormDestroy

  // --- handlers, named after their controls ----------------------------------
  void btOKClick();
  void btCancelClick();
  void XQTALLClick();
  void XQTEXTClick();
  void SizeListChange();
  void NumEditChange();
  void btINSClick();
  void btDELClick();
  void AlphaTypeClick();
  void AlphaUpDownChange();
  void RedispMFORM();
  void SupportPageClick();
  void TwitterClick();

  std::vector<std::string> SizeListItems() const;

  // The controls, by tab; public so the tests reach each one by name.
  QFrame* PBASE = nullptr;
  QTabWidget* PageBASE = nullptr;
  QPushButton* btOK = nullptr;
  QPushButton* btCancel = nullptr;
  QCheckBox* SaveLocate = nullptr;
  // 0 動作モード
  QCheckBox* XQTALL = nullptr;
  QCheckBox* XQTEXT = nullptr;
  QCheckBox* NoEnlarge = nullptr;
  QCheckBox* FolderDrop = nullptr;
  RadioGroup* EXTGroup = nullptr;
  QLabel* LanguageLabel = nullptr;    // "表示言語 / Language", the same in both languages
  QComboBox* LanguageBox = nullptr;   // the Language setting: 日本語, English, the desktop's
  // 1 画質補正
  RadioGroup* GammaGroup = nullptr;
  RadioGroup* SharpGroup = nullptr;
  QFrame* EffectGroup = nullptr;
  QCheckBox* AddGSMark = nullptr;
  QCheckBox* EffectOFF = nullptr;
  // 2 出力設定
  QGroupBox* SizeGroup = nullptr;
  QComboBox* SizeList = nullptr;
  controls::TNumEdit* NumEdit = nullptr;
  QPushButton* btINS = nullptr;
  QPushButton* btDEL = nullptr;
  RadioGroup* JPGGroup = nullptr;
  QGroupBox* GroupBox1 = nullptr;
  QCheckBox* CopyExif = nullptr;
  QCheckBox* Progress = nullptr;
  RadioGroup* OverWrite = nullptr;
  // 3 表示
  QGroupBox* DISPGroup = nullptr;
  QCheckBox* cbXQTDisp = nullptr;
  QCheckBox* cbStayTop = nullptr;
  RadioGroup* AlphaType = nullptr;
  QFrame* AlphaBASE = nullptr;
  QLabel* AlphaLabel = nullptr;
  QSlider* AlphaUpDown = nullptr;
  // 4 about
  QFrame* CPanel = nullptr;
  QLabel* IconImage = nullptr;
  QLabel* Software = nullptr;
  QLabel* SoftName = nullptr;
  QLabel* VersionLabel = nullptr;
  QLabel* Notice = nullptr;
  QLabel* SupportPage = nullptr;
  QLabel* Twitter = nullptr;
  // 5 形式
  RadioGroup* FormatGroup = nullptr;
  QGroupBox* SizeLimitGroup = nullptr;
  controls::TNumEdit* MaxFileKB = nullptr;
  QLabel* SizeLimitNote = nullptr;
  QCheckBox* NoLocation = nullptr;
  QLabel* License = nullptr;

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void CreateControls();
  QWidget* CreateModePage();
  QWidget* CreateCorrectionPage();
  QWidget* CreateOutputPage();
  QWidget* CreateDisplayPage();
  QWidget* CreateAboutPage();
  QWidget* CreateFormatPage();
  void FormCreate();
  void FormDestroy();
  void PlaceOnOpening();
  bool AskYesNo(const QString& text);
  void OpenPage(const std::string& address);
  void ShowNotice(const QString& text);

  TMFORM& main_;
  SettingsPanelDialogs dialogs_;
  std::int32_t SavedAlphaBlendType = 0;
  std::int32_t SavedAlphaBlendValue = 0;
  bool destroyed_ = false;
};

}  // namespace plendo::app
