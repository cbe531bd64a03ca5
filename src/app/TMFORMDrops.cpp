// Files dropped on the main panel: the drag is accepted for local files while
// no batch runs, and the batch starts once the drop has returned. Files
// opened with the program wait their turn and then go the same way.
#include <QApplication>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QTimer>
#include <QUrl>
#include <system_error>

#include "app/TMFORM.h"
#include "engine/ResizeEngine.h"
#include "platform/MemoryReuse.h"
#include "preview/HandOver.h"

namespace plendo::app {

bool TMFORM::AcceptsDrops() const { return !dropQueued_ && !BatchUnderWay(); }

namespace {

std::vector<std::filesystem::path> LocalFiles(const QMimeData* mime) {
  std::vector<std::filesystem::path> paths;
  if (!mime || !mime->hasUrls()) return paths;
  for (const QUrl& url : mime->urls()) {
    // A name is bytes and need not be UTF-8: take them from the URL's
    // encoding, never through a QString, which would replace them.
    if (url.isLocalFile())
      paths.emplace_back(QByteArray::fromPercentEncoding(url.path(QUrl::FullyEncoded).toLatin1()).toStdString());
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
  if (BatchUnderWay()) return;  // one batch at a time
  if (!CheckWOPathSetOK()) return;
  if (!CheckGDotSizeSetOK()) return;
  std::error_code ec;
  if (!settings_.OutOrigDir && !std::filesystem::is_directory(WOPath_, ec)) {
    ShowMonitorMessage(engine::kRed, kMsgFolderMissing);
    return;
  }
  // Everything the batch shows comes back to this thread through the
  // engine's host, so the panel repaints and takes the abort button at any
  // moment; nothing is decoded, drawn or written here.
  batchRunning_ = true;
  batchThread_ = std::thread([this, items] { RunBatch(items); });
}

void TMFORM::RunBatch(std::vector<std::filesystem::path> items) {
  std::string error;
  try {
    engine_->XQTDropFiles(items);
  } catch (const std::exception& e) {
    error = e.what();
  } catch (...) {
    error = "?";
  }
  batchRunning_ = false;
  QMetaObject::invokeMethod(this, [this, error] { BatchFinished(error); }, Qt::QueuedConnection);
}

void TMFORM::BatchFinished(const std::string& error) {
  if (batchThread_.joinable()) batchThread_.join();
  ReturnMemoryWhenIdle();
  // The engine has already put the buttons back; say what stopped the batch.
  if (!error.empty()) ShowMonitorMessage(engine::kRed, error);
  if (closeAfterBatch_) {
    close();
    return;
  }
  if (!waitingFiles_.empty()) ScheduleWaitingFiles(0);
}

// A batch keeps its freed buffers for the next file, and batches often come
// one after another; memory goes back to the system only once the panel has
// sat idle for a while.
void TMFORM::ReturnMemoryWhenIdle() {
  constexpr int kIdleMs = 10000;
  QTimer::singleShot(kIdleMs, this, [this] {
    if (!BatchUnderWay()) platform::ReturnFreedMemory();
  });
}

void TMFORM::StopAndJoinBatch() {
  if (!batchThread_.joinable()) return;
  // The batch's calls wait for this thread: serve them until it ends.
  while (batchRunning_) {
    engine_->ClearRunning();  // again each time: the batch may only now have started
    preview::MainHandOver().ServePending();
    preview::MainHandOver().WaitForPost(std::chrono::milliseconds(10));
  }
  batchThread_.join();
}

namespace {
// How often files waiting for a busy panel look again.
constexpr int kWaitingRetryMs = 100;
}  // namespace

void TMFORM::OpenFiles(std::vector<std::filesystem::path> items) {
  if (items.empty()) return;
  waitingFiles_.push_back(std::move(items));
  ScheduleWaitingFiles(0);
}

void TMFORM::ScheduleWaitingFiles(int delayMs) {
  if (waitingScheduled_) return;
  waitingScheduled_ = true;
  QTimer::singleShot(delayMs, this, [this] {
    waitingScheduled_ = false;
    RunWaitingFiles();
  });
}

void TMFORM::RunWaitingFiles() {
  if (waitingFiles_.empty() || closeAfterBatch_) return;
  // A dialog or menu of the panel is open: a batch now would change what
  // the user is still choosing.
  const bool busy = !AcceptsDrops() || QApplication::activeModalWidget() || QApplication::activePopupWidget();
  if (busy) {
    ScheduleWaitingFiles(kWaitingRetryMs);
    return;
  }
  const std::vector<std::filesystem::path> items = std::move(waitingFiles_.front());
  waitingFiles_.pop_front();
  WMDropFiles(items);
  if (!waitingFiles_.empty()) ScheduleWaitingFiles(0);
}


}  // namespace plendo::app
