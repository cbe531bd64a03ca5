#include "app/PanelHandOver.h"

#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QLocalServer>
#include <QLocalSocket>
#include <QTimer>
#include <cstdlib>
#include <memory>

namespace plendo::app {
namespace {

constexpr char kMagic[] = "PLENDO-OPEN 1\n";
constexpr std::size_t kMagicSize = sizeof kMagic - 1;
constexpr char kAnswer[] = "OK\n";
constexpr std::size_t kAnswerSize = sizeof kAnswer - 1;
// A client that connects and then sends nothing is dropped after this.
constexpr int kIdleLimitMs = 30000;

}  // namespace

namespace {

// A folder only this user can enter: the runtime folder, or one of our own
// in the temporary folder (refused when someone else made it first).
QString PrivateFolder() {
  const char* runtime = std::getenv("XDG_RUNTIME_DIR");
  if (runtime && *runtime == '/' && QDir(QString::fromLocal8Bit(runtime)).exists())
    return QString::fromLocal8Bit(runtime);
  const QByteArray own = QDir(QDir::tempPath()).filePath(QStringLiteral("plendo-%1").arg(::getuid())).toLocal8Bit();
  ::mkdir(own.constData(), 0700);
  struct stat st {};
  if (::lstat(own.constData(), &st) == 0 && S_ISDIR(st.st_mode) && st.st_uid == ::getuid() &&
      (st.st_mode & 077) == 0)
    return QString::fromLocal8Bit(own);
  return {};
}

}  // namespace

QString HandOverSocketName() {
  const QString folder = PrivateFolder();
  if (folder.isEmpty()) return QStringLiteral("plendo-panel-%1").arg(::getuid());
  return QDir(folder).filePath(QStringLiteral("plendo-panel"));
}

std::string EncodeHandOver(const PathList& files) {
  std::string bytes = kMagic;
  for (const auto& f : files) {
    bytes += f.native();
    bytes += '\0';
  }
  bytes += '\0';
  return bytes;
}

HandOverRequest DecodeHandOver(const std::string& bytes) {
  using State = HandOverRequest::State;
  HandOverRequest request;
  const std::size_t head = std::min(bytes.size(), kMagicSize);
  if (bytes.compare(0, head, kMagic, head) != 0 || bytes.size() > kMaxHandOverBytes) {
    request.state = State::Invalid;
    return request;
  }
  std::size_t at = kMagicSize;
  while (at < bytes.size()) {
    const std::size_t end = bytes.find('\0', at);
    if (end == std::string::npos) break;
    if (end == at) {
      // The empty path ends the list; nothing may follow it.
      request.state = end + 1 == bytes.size() ? State::Complete : State::Invalid;
      if (request.state == State::Invalid) request.files.clear();
      return request;
    }
    request.files.emplace_back(bytes.substr(at, end - at));
    at = end + 1;
  }
  request.files.clear();
  return request;
}

HandOverResult HandOverToRunningPanel(const QString& name, const PathList& files, int timeoutMs) {
  QLocalSocket socket;
  socket.connectToServer(name);
  if (!socket.waitForConnected(timeoutMs)) return HandOverResult::NoPanel;
  const std::string request = EncodeHandOver(files);
  socket.write(request.data(), static_cast<qint64>(request.size()));
  // The whole request first: the panel answers only once it has all of it.
  while (socket.bytesToWrite() > 0)
    if (!socket.waitForBytesWritten(timeoutMs)) return HandOverResult::NoAnswer;
  QByteArray answer;
  // The panel answers between two files of a batch, so allow it that long.
  while (answer.size() < static_cast<qsizetype>(kAnswerSize) && socket.waitForReadyRead(timeoutMs))
    answer += socket.readAll();
  return answer == kAnswer ? HandOverResult::Delivered : HandOverResult::NoAnswer;
}

HandOverServer::HandOverServer(QString name, Receiver receiver, QObject* parent)
    : QObject(parent), name_(std::move(name)), receiver_(std::move(receiver)), server_(new QLocalServer(this)) {
  // No access options: with them the socket is made elsewhere and renamed
  // into place, which silently takes the name from a live panel. The folder
  // is private instead.
  connect(server_, &QLocalServer::newConnection, this, &HandOverServer::Accept);
}

HandOverServer::~HandOverServer() { server_->close(); }

bool HandOverServer::Listen() {
  if (server_->listen(name_)) return true;
  if (server_->serverError() != QAbstractSocket::AddressInUseError) return false;
  // The name is taken: by a live panel, or by the socket file of one that died.
  QLocalSocket probe;
  probe.connectToServer(name_);
  if (probe.waitForConnected(1000)) return false;
  QLocalServer::removeServer(name_);
  return server_->listen(name_);
}

void HandOverServer::Accept() {
  while (QLocalSocket* socket = server_->nextPendingConnection()) {
    connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
    connect(socket, &QLocalSocket::readyRead, this, [this, socket] { Read(socket); });
    QTimer::singleShot(kIdleLimitMs, socket, [socket] { socket->abort(); });
  }
}

void HandOverServer::Read(QLocalSocket* socket) {
  // The bytes so far live on the socket, so they go when it goes.
  QByteArray received = socket->property("received").toByteArray() + socket->readAll();
  const HandOverRequest request = DecodeHandOver(received.toStdString());
  switch (request.state) {
    case HandOverRequest::State::Incomplete:
      socket->setProperty("received", received);
      return;
    case HandOverRequest::State::Invalid:
      socket->abort();
      return;
    case HandOverRequest::State::Complete:
      socket->setProperty("received", QVariant());
      socket->write(kAnswer, kAnswerSize);
      socket->flush();
      socket->disconnectFromServer();
      if (receiver_) receiver_(request.files);
      return;
  }
}

}  // namespace plendo::app
