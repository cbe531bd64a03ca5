#pragma once
// One panel per user. The first plendo listens on a local socket; a later
// `plendo FILE...` hands its files to that panel and ends, so a file
// manager's "Open with" adds to the panel the user already has.
//
// A request on the socket, byte by byte:
//   "PLENDO-OPEN 1\n"            what and which version
//   path '\0' path '\0' ...      each file, its bytes as given (absolute)
//   '\0'                         an empty path ends the list
// The panel answers "OK\n" once it has taken the files.
#include <QObject>
#include <QString>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

class QLocalServer;
class QLocalSocket;

namespace plendo::app {

using PathList = std::vector<std::filesystem::path>;

// The socket of this user's panel: in $XDG_RUNTIME_DIR, which only the user
// can enter, or else a name of the user's own in the temporary folder.
QString HandOverSocketName();

std::string EncodeHandOver(const PathList& files);

struct HandOverRequest {
  enum class State { Incomplete, Complete, Invalid } state = State::Incomplete;
  PathList files;
};
// Reads a request from the bytes received so far.
HandOverRequest DecodeHandOver(const std::string& bytes);

// A request larger than this is refused, so that no client can make the
// panel hold an unbounded buffer.
inline constexpr std::size_t kMaxHandOverBytes = 16u << 20;

enum class HandOverResult {
  Delivered,  // the running panel has the files
  NoPanel,    // nobody listens: this start may become the panel
  NoAnswer,   // a panel took the connection but did not confirm
};

// Hands `files` (possibly none: the panel then only comes forward) to the
// panel listening at `name`.
HandOverResult HandOverToRunningPanel(const QString& name, const PathList& files, int timeoutMs = 10000);

// The panel's end: accepts requests and passes each one's files on.
class HandOverServer : public QObject {
  Q_OBJECT
 public:
  using Receiver = std::function<void(PathList files)>;
  HandOverServer(QString name, Receiver receiver, QObject* parent = nullptr);
  ~HandOverServer() override;

  // Starts listening; false when another panel already does. A socket left
  // behind by a panel that ended without closing it is taken over.
  bool Listen();

 private:
  void Accept();
  void Read(QLocalSocket* socket);

  QString name_;
  Receiver receiver_;
  QLocalServer* server_;
};

}  // namespace plendo::app
