#pragma once
// The main panel: a small always-on-top window onto which image files are
// dropped. It owns its controls, the settings record and the resize engine,
// and is the PanelHost the engine works through.
#include <QCoreApplication>
#include <QWidget>
#include <atomic>
#include <deque>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "engine/PanelHost.h"
#include "settings/AppSettings.h"
#include "settings/SettingsLocation.h"
#include "settings/SettingsStore.h"

class QAction;
class QComboBox;
class QGroupBox;
class QLabel;
class QMenu;
class QPushButton;
class QRadioButton;
class QFrame;

namespace plendo::controls {
class TStatusLED;
}
namespace plendo::engine {
class ResizeEngine;
}

namespace plendo::app {

class PreviewWidget;
class UiThreadHost;
class TPanelBase;
class InputGate;
struct SizeBoxKeyOutcome;
struct SizeBoxText;

// Texts of the panel, in Japanese: the panel shows each one through its
// translation (tr), so the Japanese stays the source text.
inline constexpr char kAppTitleAtStart[] = QT_TRANSLATE_NOOP("plendo::app::TMFORM", "画像一括サイズ変換 「Plendo」");
inline constexpr char kAppTitle[] = "Plendo v1.26";
inline constexpr char kWindowCaption[] = " Plendo ver 1.26";
inline constexpr char kCaptionChooseFolder[] = QT_TRANSLATE_NOOP("plendo::app::TMFORM", "ここを押して、画像の出力先をお選びください");
inline constexpr char kCaptionSameFolder[] = QT_TRANSLATE_NOOP("plendo::app::TMFORM", "出力先： 元画像と同じフォルダ");
inline constexpr char kCaptionFolderPrefix[] = QT_TRANSLATE_NOOP("plendo::app::TMFORM", "出力先： ");
inline constexpr char kMsgReady[] = QT_TRANSLATE_NOOP("plendo::app::TMFORM", "ここに画像ファイルを\r\nドラッグ＆ドロップ");
inline constexpr char kMsgNoFolder[] = QT_TRANSLATE_NOOP("plendo::app::TMFORM", "画像出力先 未設定");
inline constexpr char kMsgNoSize[] = QT_TRANSLATE_NOOP("plendo::app::TMFORM", "変換サイズ 未設定");
inline constexpr char kMsgFolderMissing[] = QT_TRANSLATE_NOOP("plendo::app::TMFORM", "出力先フォルダが\r\n存在しません！");
inline constexpr char kBrowsePrompt[] = QT_TRANSLATE_NOOP("plendo::app::TMFORM", "サイズ変換した画像を出力するフォルダをお選びください");
inline constexpr int kCaptionPathWidth = 220;

// Asks the user for a folder: prompt, initial folder, chosen folder (out),
// preferred left and top of the dialog; true when one was chosen.
using FolderBrowser = std::function<bool(const std::string& prompt, const std::string& initial,
                                         std::string& chosen, int x, int y)>;

class TMFORM : public QWidget, public engine::PanelHost {
  Q_OBJECT
 public:
  // Reads the settings from `location` (FormCreate); the destructor writes
  // them back (FormDestroy).
  explicit TMFORM(settings::SettingsLocation location, QWidget* parent = nullptr);
  ~TMFORM() override;

  // --- PanelHost -------------------------------------------------------------
  void ShowMonitorMessage(engine::Colour colour, const std::string& text) override;
  void ClearMonitorMessage() override;
  bool IsActualSize() const override;
  std::string SizeText() const override;
  engine::SizeSide Side() const override;
  std::string WOPath() const override { return WOPath_; }
  void LightOn(engine::Lamp lamp) override;
  void LightOff(engine::Lamp lamp) override;
  void SetLampStatus(engine::Lamp lamp, bool on) override;
  void SetSizeCaption(const std::string& text) override;
  void LoadPreview(const std::filesystem::path& path, std::unique_ptr<preview::TGraphic> prepared) override;
  preview::PreviewArea PreviewArea() const override;
  void ClearPreview() override;
  void SetTermCaption(const std::string& caption, bool focus) override;
  void ChangeButtonsEnabled(bool enabled) override;
  void ProcessPendingMessages() override;
  void KeepResponsive() override;

  // --- panel operations ------------------------------------------------------
  bool CheckWOPathSetOK();
  bool CheckGDotSizeSetOK();
  void SetAndDisplayWOUTPathCaption();
  void ChangeLEDDisp(bool show);
  void GDotChange();
  void GDotDblClick();
  // A character typed into GDot; true when it was consumed here.
  bool GDotKeyPress(char32_t ch);
  void btTERMClick();
  // Opens the settings panel modally; it is gone when this returns.
  void btCUSTClick();
  void AppActivate();
  void AppDeactivate();

  // --- output folder ---------------------------------------------------------
  void btWOUTClick();
  void SelectWOutFolder();
  void SetWOutSameFolder();
  void SetFolderBrowser(FolderBrowser browser) { browseForFolder_ = std::move(browser); }

  // --- drops -----------------------------------------------------------------
  // Checks and starts one batch over `items` (already local paths, in
  // order) on the batch's thread; returns at once.
  void WMDropFiles(const std::vector<std::filesystem::path>& items);
  bool AcceptsDrops() const;
  // True from the start of a batch until its thread has ended and the panel
  // has taken note.
  bool BatchUnderWay() const { return batchThread_.joinable(); }
  // Files opened with the program (its command line, or handed over by a
  // later start): each call is one drop, run once the panel is free, in
  // turn; they wait for a running batch, an open dialog or menu.
  void OpenFiles(std::vector<std::filesystem::path> items);
  bool HasWaitingFiles() const { return !waitingFiles_.empty(); }

  settings::AppSettings& Settings() { return settings_; }
  const settings::SettingsLocation& Location() const { return location_; }
  engine::ResizeEngine& Engine() { return *engine_; }
  bool StaysOnTop() const;
  void SetStaysOnTop(bool on);
  // The size box's items; replacing them keeps "原寸" first.
  std::vector<std::string> SizeItems() const;
  void SetSizeItems(const std::vector<std::string>& items);
  int SizeIndex() const;
  void SetSizeIndex(int index);
  // What FormDestroy writes besides the settings record.
  settings::MainPanelSettings PanelSettings() const;

  // The controls; public so the settings panel and the tests reach them by name.
  TPanelBase* WOBASE = nullptr;
  QPushButton* btWOUT = nullptr;
  QFrame* MonitorBASE = nullptr;
  QLabel* Mess = nullptr;
  PreviewWidget* IMG = nullptr;
  QGroupBox* GSizeBox = nullptr;
  QComboBox* GDot = nullptr;
  QRadioButton* RG1 = nullptr;
  QRadioButton* RG2 = nullptr;
  QRadioButton* RG3 = nullptr;
  QGroupBox* grStatus = nullptr;
  QLabel* LbRead = nullptr;
  controls::TStatusLED* RLED = nullptr;
  QLabel* LbExif = nullptr;
  controls::TStatusLED* ELED = nullptr;
  QLabel* LbWOut = nullptr;
  controls::TStatusLED* WLED = nullptr;
  QLabel* SSize = nullptr;
  TPanelBase* CSBASE = nullptr;
  QPushButton* btCUST = nullptr;
  QPushButton* btTERM = nullptr;
  QMenu* PMenu = nullptr;
  QAction* N1 = nullptr;
  QAction* N2 = nullptr;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dragMoveEvent(QDragMoveEvent* event) override;
  void dropEvent(QDropEvent* event) override;

 private:
  void CreateControls();
  void CreateFolderButton();  // WOBASE, btWOUT
  void CreateMonitor();       // MonitorBASE, Mess, IMG
  void CreateSizeBox();       // GSizeBox, GDot, RG1..RG3
  void CreateStatusRow();     // grStatus, the lamps, SSize
  void CreateButtons();       // CSBASE, btCUST, btTERM
  void CreateFolderMenu();    // btWOUT's menu PMenu
  void FormCreate();
  void FormDestroy();
  void ApplyStartSettings(const settings::StartSettings& start);
  controls::TStatusLED* LampOf(engine::Lamp lamp) const;
  // GDot's selection without touching its text, or with a new text and no
  // item selected, as typing leaves it.
  void SelectGDotItem(int index);
  void SetGDotTypedText(const QString& text, int selectFrom, int selectLength);
  // What the size box shows now, and showing what a typed key made of it.
  SizeBoxText GDotText() const;
  void ShowGDotEdit(const SizeBoxKeyOutcome& edit);
  void GDotTextEdited();
  void ApplyOpacity(bool translucent);
  void ScheduleWaitingFiles(int delayMs);
  void RunWaitingFiles();
  // On the batch's thread: the batch, then word to this thread that it is over.
  void RunBatch(std::vector<std::filesystem::path> items);
  void BatchFinished(const std::string& error);
  void ReturnMemoryWhenIdle();
  // Stops a running batch and waits for its thread, serving its calls meanwhile.
  void StopAndJoinBatch();

  settings::SettingsLocation location_;
  settings::AppSettings settings_;
  InputGate* GSizeGate_ = nullptr;  // GSizeBox during a batch with XQTDisp
  std::string WOPath_;
  std::unique_ptr<UiThreadHost> uiHost_;  // the engine's view of this panel from the batch's thread
  std::unique_ptr<engine::ResizeEngine> engine_;
  std::thread batchThread_;
  std::atomic<bool> batchRunning_ = false;  // until the batch's thread has left the engine
  FolderBrowser browseForFolder_;
  bool dropQueued_ = false;
  std::deque<std::vector<std::filesystem::path>> waitingFiles_;
  bool waitingScheduled_ = false;
  bool closeAfterBatch_ = false;
  bool destroyed_ = false;
};

// The folder dialog: non-native, directory mode, placed as PlaceBrowseDialog
// says, the full path of the folder under the cursor shown below the list.
bool BrowseForFolder(QWidget* owner, const std::string& prompt, const std::string& initial,
                     std::string& chosen, int x, int y);

}  // namespace plendo::app
