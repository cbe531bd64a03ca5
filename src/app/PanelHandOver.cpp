#include "app/PanelHandOver.h"

#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <QDir>
#include <QLocalServer>
#include <QLocalSocket>
#include <QTimer>
#include <chrono>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "platform/FileDescriptor.h"

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

namespace {

// Where QLocalServer puts a socket of that name.
QByteArray SocketPath(const QString& name) {
  return (name.startsWith(QLatin1Char('/')) ? name : QDir(QDir::tempPath()).filePath(name)).toLocal8Bit();
}

// Waits for `events` on `fd` until `deadline`; false when time ran out or it failed.
bool WaitFor(int fd, short events, std::chrono::steady_clock::time_point deadline) {
  for (;;) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
    if (left.count() <= 0) return false;
    pollfd p{fd, events, 0};
    const int ready = ::poll(&p, 1, static_cast<int>(left.count()));
    if (ready > 0) return true;
    if (ready < 0 && errno != EINTR) return false;
  }
}

}  // namespace

// A plain Unix socket, no Qt object: a later start hands its files over
// before it makes an application object, so it needs no display and ends in
// a fraction of the time one takes to start.
HandOverResult HandOverToRunningPanel(const QString& name, const PathList& files, int timeoutMs) {
  const QByteArray path = SocketPath(name);
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  if (path.isEmpty() || static_cast<std::size_t>(path.size()) >= sizeof address.sun_path) return HandOverResult::NoPanel;
  std::memcpy(address.sun_path, path.constData(), static_cast<std::size_t>(path.size()));
  const platform::FileDescriptor socket(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0));
  if (socket.Get() < 0 || ::connect(socket.Get(), reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0)
    return HandOverResult::NoPanel;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  const std::string request = EncodeHandOver(files);
  for (std::size_t sent = 0; sent < request.size();) {
    if (!WaitFor(socket.Get(), POLLOUT, deadline)) return HandOverResult::NoAnswer;
    const ssize_t n = ::send(socket.Get(), request.data() + sent, request.size() - sent, MSG_NOSIGNAL);
    if (n < 0 && errno != EINTR && errno != EAGAIN) return HandOverResult::NoAnswer;
    if (n > 0) sent += static_cast<std::size_t>(n);
  }
  std::string answer;
  while (answer.size() < kAnswerSize) {
    if (!WaitFor(socket.Get(), POLLIN, deadline)) return HandOverResult::NoAnswer;
    char buffer[8];
    const ssize_t n = ::recv(socket.Get(), buffer, sizeof buffer, 0);
    if (n == 0 || (n < 0 && errno != EINTR)) break;
    if (n > 0) answer.append(buffer, static_cast<std::size_t>(n));
  }
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
