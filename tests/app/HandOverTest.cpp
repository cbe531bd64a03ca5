// "Open with": files named when the program starts, or handed over by a later
// start through the panel's socket, are drops on the running panel.
#include <sys/socket.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QLocalServer>
#include <QProcess>
#include <QPushButton>
#include <atomic>
#include <csignal>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string_view>
#include <thread>

#include "PanelFixture.h"
#include "ReadLampWatch.h"
#include "app/PanelHandOver.h"
#include "app/ProgramStart.h"
#include "support/TestFiles.h"
#include "support/TestImages.h"

namespace plendo::test {
namespace {

namespace fs = std::filesystem;
using app::HandOverRequest;
using State = HandOverRequest::State;

const auto* const kQt = ::testing::AddGlobalTestEnvironment(new QtTestApp);

// --- what the program decides before it has a window -------------------------------

TEST(HandOverRequestBytes, DecodeTellsCompleteFromCutAndForeign) {
  const std::string two = app::EncodeHandOver({"/photos/a b.jpg", "/photos/caf\xE9.png"});
  const std::string one = app::EncodeHandOver({"/a"});
  const struct {
    const char* what;
    std::string bytes;
    State state;
    std::vector<fs::path> files;
  } cases[] = {
      {"two files, one name not UTF-8", two, State::Complete, {"/photos/a b.jpg", "/photos/caf\xE9.png"}},
      {"no file: only come forward", app::EncodeHandOver({}), State::Complete, {}},
      {"cut in the header", two.substr(0, 5), State::Incomplete, {}},
      {"cut before the end mark", one.substr(0, one.size() - 1), State::Incomplete, {}},
      {"another program's bytes", "GET / HTTP/1.1\r\n\r\n", State::Invalid, {}},
      {"bytes after the end mark", one + "/b", State::Invalid, {}},
      {"larger than the panel takes", one.substr(0, 14) + std::string(app::kMaxHandOverBytes, 'a'), State::Invalid, {}},
  };
  for (const auto& c : cases) {
    const HandOverRequest r = app::DecodeHandOver(c.bytes);
    EXPECT_EQ(r.state, c.state) << c.what;
    EXPECT_EQ(r.files, c.files) << c.what;
  }
}

TEST(ProgramStart, OnlyHelpAndVersionAreOptionsAndEveryOtherArgumentIsAFile) {
  const char* argv[] = {"plendo", "a.jpg", "/x/b.png", "", "-platform", "--version", "--", "--help", "sub/caf\xE9.jpg"};
  const app::PanelCommandLine line = app::ParsePanelCommandLine(9, argv, "/home/u");
  EXPECT_FALSE(line.help);  // after "--": a file
  EXPECT_TRUE(line.version);
  EXPECT_EQ(line.files, (std::vector<fs::path>{"/home/u/a.jpg", "/x/b.png", "/home/u/-platform", "/home/u/--help",
                                               "/home/u/sub/caf\xE9.jpg"}));
}

// The real program where no display is needed, or none is there.
TEST(ProgramStart, HelpVersionAndNoDisplayEndAtOnce) {
  TempDir runtime;  // no running panel to hand the files to
  const auto run = [&runtime](const QStringList& args, QString* output) {
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM", "XDG_SESSION_TYPE"}) env.remove(name);
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), QString::fromStdString(runtime.Path().string()));
    p.setProcessEnvironment(env);
    p.start(QStringLiteral(PLENDO_PANEL_PROGRAM), args);
    if (!p.waitForFinished(20000)) p.kill();
    *output = QString::fromUtf8(p.readAllStandardOutput() + p.readAllStandardError());
    return p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
  };
  QString output;
  EXPECT_EQ(run({QStringLiteral("--help")}, &output), 0);
  EXPECT_TRUE(output.startsWith(QStringLiteral("Usage: plendo "))) << output.toStdString();
  EXPECT_EQ(run({QStringLiteral("--version")}, &output), 0);
  EXPECT_EQ(output, QStringLiteral("plendo " PLENDO_VERSION "\n"));
  EXPECT_EQ(run({QStringLiteral("--"), QStringLiteral("--help")}, &output), 1);
  EXPECT_TRUE(output.endsWith(QStringLiteral("plendo: cannot open display\n"))) << output.toStdString();
}

TEST(ProgramStart, WaylandSessionsRunThePanelThroughXWayland) {
  const struct {
    const char *qpa, *session, *wayland, *display, *expected;
  } cases[] = {
      {nullptr, "wayland", "wayland-0", ":0", "xcb"},
      {"", "wayland", "wayland-0", ":0", "xcb"},         // set but empty: no choice
      {nullptr, nullptr, "wayland-1", ":1", "xcb"},       // a Wayland socket, no session type
      {nullptr, "wayland", "wayland-0", nullptr, ""},     // no XWayland: Qt's choice
      {"wayland", "wayland", "wayland-0", ":0", ""},      // the user's choice holds
      {nullptr, "x11", nullptr, ":0", ""},
  };
  for (const auto& c : cases) {
    const auto env = [&c](const char* name) -> const char* {
      const std::string n = name;
      if (n == "QT_QPA_PLATFORM") return c.qpa;
      if (n == "XDG_SESSION_TYPE") return c.session;
      if (n == "WAYLAND_DISPLAY") return c.wayland;
      if (n == "DISPLAY") return c.display;
      return nullptr;
    };
    EXPECT_EQ(app::PanelPlatform(env), c.expected)
        << (c.qpa ? c.qpa : "-") << " " << (c.session ? c.session : "-") << " " << (c.display ? c.display : "-");
  }
}

// --- the running panel's end ---------------------------------------------------------

class HandOverTest : public PanelFixture {
 protected:
  void SetUp() override {
    PanelFixture::SetUp();
    fs::create_directories(in());
    fs::create_directories(out());
    fs::create_directories(runtime());
    // The socket's folder, for this process's panel and the later start alike.
    if (const char* old = std::getenv("XDG_RUNTIME_DIR")) savedRuntime = old;
    ::setenv("XDG_RUNTIME_DIR", runtime().c_str(), 1);
  }
  void TearDown() override {
    server.reset();
    if (savedRuntime)
      ::setenv("XDG_RUNTIME_DIR", savedRuntime->c_str(), 1);
    else
      ::unsetenv("XDG_RUNTIME_DIR");
    PanelFixture::TearDown();
  }
  fs::path in() const { return dir / "in"; }
  fs::path out() const { return dir / "out"; }
  fs::path runtime() const { return dir / "run"; }

  app::TMFORM& OpenWithOutput() {
    WriteEnv("[Status]\nWOPath=" + out().string() + "\n");
    app::TMFORM& f = Open();
    Type("100");
    f.show();
    return f;
  }
  bool Serve() {
    server = std::make_unique<app::HandOverServer>(
        app::HandOverSocketName(), [this](app::PathList files) { form->OpenFiles(std::move(files)); });
    return server->Listen();
  }
  fs::path Jpeg(const std::string& name, int width = 200, int height = 100) {
    WriteFile(in() / name, WriteJpeg(MakeGradient(width, height)));
    return in() / name;
  }
  // The real program started again from in(), while this panel runs; its
  // exit status, or -1 when it did not end. Without a display it can only
  // hand its files over: it cannot become a panel of its own. Forked by
  // hand: QProcess starts its child on this process's memory until exec (a
  // vfork), where ThreadSanitizer's view of this process's threads goes wrong.
  int StartAgain(const QStringList& args, bool display = true) {
    std::vector<std::string> words{PLENDO_PANEL_PROGRAM};
    for (const QString& a : args) words.push_back(a.toStdString());
    std::vector<std::string> vars{display ? "QT_QPA_PLATFORM=offscreen" : "QT_QPA_PLATFORM=xcb"};
    const auto dropped = [display](std::string_view v) {
      const auto named = [v](std::string_view name) { return v.substr(0, name.size()) == name; };
      return named("QT_QPA_PLATFORM=") || (!display && (named("DISPLAY=") || named("WAYLAND_DISPLAY=")));
    };
    for (char** v = environ; *v; ++v)
      if (!dropped(*v)) vars.emplace_back(*v);
    const auto pointers = [](std::vector<std::string>& strings) {
      std::vector<char*> p;
      for (std::string& s : strings) p.push_back(s.data());
      p.push_back(nullptr);
      return p;
    };
    std::vector<char*> argv = pointers(words), envp = pointers(vars);
    const std::string cwd = in().string();
    const pid_t pid = ::fork();
    if (pid == 0) {
      if (::chdir(cwd.c_str()) == 0) ::execve(argv[0], argv.data(), envp.data());
      ::_exit(127);
    }
    if (pid < 0) return -1;
    int status = 0;
    if (!QTest::qWaitFor([&] { return ::waitpid(pid, &status, WNOHANG) == pid; }, 20000)) {
      ::kill(pid, SIGKILL);
      ::waitpid(pid, &status, 0);
      return -1;
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }
  std::string Count() const { return form->SSize->text().toStdString(); }
  bool CountBecomes(const std::string& text) {
    return QTest::qWaitFor([&] { return Count() == text; }, 10000);
  }

  std::unique_ptr<app::HandOverServer> server;
  std::optional<std::string> savedRuntime;
};

TEST_F(HandOverTest, ALaterStartHandsItsFilesToTheRunningPanel) {
  OpenWithOutput();
  ASSERT_TRUE(Serve());
  Jpeg("a.jpg");
  WriteFile(in() / "b.png", WritePng(MakeGradient(100, 200)));
  // A relative name is the later start's own: it is taken from its folder.
  EXPECT_EQ(StartAgain({"a.jpg", QString::fromStdString((in() / "b.png").string())}, false), 0);
  ASSERT_TRUE(CountBecomes("出力済 2 枚"));
  EXPECT_EQ(Listing(out()), (std::vector<std::string>{"a_w100.jpg", "b_v100.jpg"}));

  // Without files it only brings the panel forward.
  EXPECT_EQ(StartAgain({}, false), 0);
  EXPECT_EQ(Listing(out()).size(), 2u);
  EXPECT_FALSE(form->HasWaitingFiles());
}

TEST_F(HandOverTest, FilesOpenedDuringABatchRunAfterIt) {
  app::TMFORM& f = OpenWithOutput();
  const std::vector<fs::path> batch = {Jpeg("p0.jpg"), Jpeg("p1.jpg"), Jpeg("p2.jpg")};
  const fs::path later = Jpeg("later.jpg");
  std::vector<std::string> beforeLater;
  std::string countBeforeLater;
  ReadLampWatch watch(f.RLED, [&](int start) {
    if (start == 2) f.OpenFiles({later});
    if (start == 4) {
      beforeLater = Listing(out());
      countBeforeLater = Count();
    }
  });
  f.WMDropFiles(batch);
  ASSERT_TRUE(CountBecomes("出力済 1 枚"));
  // The batch ran to its end undisturbed; the opened file waited for it.
  EXPECT_EQ(beforeLater, (std::vector<std::string>{"p0_w100.jpg", "p1_w100.jpg", "p2_w100.jpg"}));
  EXPECT_EQ(countBeforeLater, "出力済 3 枚");
  EXPECT_TRUE(fs::exists(out() / "later_w100.jpg"));
}

// A socket file bound once and never listened on: what a panel that was
// killed leaves behind.
void LeaveDeadSocket(const fs::path& path) {
  const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
  ASSERT_GE(fd, 0);
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  std::snprintf(address.sun_path, sizeof address.sun_path, "%s", path.c_str());
  ASSERT_EQ(::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
  ::close(fd);
}

TEST_F(HandOverTest, OnePanelListensAndADeadOnesSocketIsTakenOver) {
  const QString name = app::HandOverSocketName();
  EXPECT_EQ(app::HandOverToRunningPanel(name, {"/a.jpg"}, 500), app::HandOverResult::NoPanel);
  {
    app::HandOverServer first(name, nullptr);
    ASSERT_TRUE(first.Listen());
    app::HandOverServer second(name, nullptr);
    EXPECT_FALSE(second.Listen());
  }
  LeaveDeadSocket(name.toStdString());
  EXPECT_EQ(app::HandOverToRunningPanel(name, {"/a.jpg"}, 500), app::HandOverResult::NoPanel);
  app::HandOverServer next(name, nullptr);
  EXPECT_TRUE(next.Listen());
}

// Far more than a socket buffer holds: it is written whole before the
// answer is awaited.
TEST_F(HandOverTest, ALongListArrivesWhole) {
  app::PathList files;
  for (int i = 0; i < 3000; ++i) files.push_back("/photos/" + std::string(200, 'x') + std::to_string(i) + ".jpg");
  app::PathList received;
  app::HandOverServer panel(app::HandOverSocketName(), [&](app::PathList f) { received = std::move(f); });
  ASSERT_TRUE(panel.Listen());
  std::atomic<int> result{-1};
  std::thread later([&] { result = static_cast<int>(app::HandOverToRunningPanel(app::HandOverSocketName(), files)); });
  const bool ended = QTest::qWaitFor([&] { return result != -1; }, 20000);
  later.join();
  ASSERT_TRUE(ended);
  EXPECT_EQ(result, static_cast<int>(app::HandOverResult::Delivered));
  EXPECT_EQ(received, files);
}

TEST_F(HandOverTest, APanelThatNeverAnswersIsReported) {
  QLocalServer mute;  // takes connections, reads nothing
  ASSERT_TRUE(mute.listen(app::HandOverSocketName()));
  EXPECT_EQ(app::HandOverToRunningPanel(app::HandOverSocketName(), {"/a.jpg"}, 300),
            app::HandOverResult::NoAnswer);
}

// --- the real panel's end by a signal --------------------------------------------

// Whether process `pid` catches `sig` (its handler is in place).
bool Catches(qint64 pid, int sig) {
  std::ifstream status("/proc/" + std::to_string(pid) + "/status");
  for (std::string line; std::getline(status, line);)
    if (line.rfind("SigCgt:", 0) == 0) return (std::stoull(line.substr(7), nullptr, 16) >> (sig - 1)) & 1;
  return false;
}

// A logout's SIGTERM (or SIGHUP, SIGINT) ends the panel as its end button
// does: the settings are written and the socket is gone.
TEST(PanelProgram, ASignalSavesTheSettingsAndRemovesTheSocket) {
  for (int sig : {SIGTERM, SIGHUP, SIGINT}) {
    TempDir dir;
    // A copy installed outside the build tree keeps its settings in the
    // config folder.
    fs::create_directories(dir / "bin");
    fs::create_directories(dir / "run");
    fs::permissions(dir / "run", fs::perms::owner_all);
    fs::copy_file(PLENDO_PANEL_PROGRAM, dir / "bin" / "plendo");
    QProcess panel;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), QString::fromStdString((dir / "config").string()));
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), QString::fromStdString((dir / "run").string()));
    panel.setProcessEnvironment(env);
    panel.start(QString::fromStdString((dir / "bin" / "plendo").string()), {});
    ASSERT_TRUE(panel.waitForStarted());
    ASSERT_TRUE(QTest::qWaitFor([&] { return Catches(panel.processId(), sig); }, 20000)) << sig;
    ASSERT_TRUE(fs::exists(dir / "run" / "plendo-panel"));

    ::kill(static_cast<pid_t>(panel.processId()), sig);
    ASSERT_TRUE(panel.waitForFinished(20000)) << sig;
    EXPECT_EQ(panel.exitStatus(), QProcess::NormalExit) << sig;
    EXPECT_EQ(panel.exitCode(), 0) << sig;
    std::stringstream saved;
    saved << std::ifstream(dir / "config" / "plendo" / "plendo.ENV").rdbuf();
    EXPECT_NE(saved.str().find("[MFORM]"), std::string::npos) << sig;
    EXPECT_FALSE(fs::exists(dir / "run" / "plendo-panel")) << sig;
    EXPECT_FALSE(fs::exists(dir / "bin" / "plendo.ENV")) << sig;
  }
}

}  // namespace
}  // namespace plendo::test
