#include <gtest/gtest.h>
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <thread>

#include "cli/BatchRun.h"
#include "engine/EngineFixture.h"
#include "engine/JpegProbe.h"
#include "support/TempDir.h"

namespace plendo::cli {
namespace {

namespace fs = std::filesystem;

class BatchRun : public ::testing::Test {
 protected:
  BatchRun() {
    fs::create_directories(in);
    fs::create_directories(out);
    test::WriteText(settings_file, "");
    environment.executable = bin / "plendo-batch";
  }

  fs::path Jpeg(const std::string& name, int width = 20, int height = 10) {
    test::WriteJpegSource(in / name, width, height);
    return in / name;
  }

  int Run(std::vector<std::string> args) {
    stdout_.str("");
    stderr_.str("");
    return RunBatch(args, stdout_, stderr_, environment);
  }

  std::string Out() const { return stdout_.str(); }
  std::string Err() const { return stderr_.str(); }

  test::TempDir dir;
  fs::path in = dir / "in";
  fs::path out = dir / "out";
  fs::path bin = dir.Path();
  fs::path settings_file = dir / "empty.ENV";
  BatchEnvironment environment;
  std::ostringstream stdout_;
  std::ostringstream stderr_;
};

TEST_F(BatchRun, MixedBatchPrintsOneLinePerFileAndFailsWithOne) {
  const fs::path a = Jpeg("a.jpg");
  const fs::path bad = in / "bad.jpg";
  test::WriteText(bad, "not a picture");
  const fs::path c = Jpeg("c.jpeg", 10, 20);

  const int status = Run({"--settings", settings_file.string(), "--size", "64", "--out", out.string(), a.string(),
                          bad.string(), c.string()});

  EXPECT_EQ(status, kExitSomeFailed);
  EXPECT_EQ(Out(), (out / "a_w64.jpg").string() + "\n" + (out / "c_v64.jpg").string() +
                       "\n2 written, 0 skipped (0 output existed, 0 not of the chosen type), 1 failed\n2 written\n");
  EXPECT_EQ(Err(), "plendo-batch: " + bad.string() + ": not an image Plendo reads: This file cannot be converted (^_^;)\n");
  EXPECT_TRUE(test::ProbeJpeg(out / "c_v64.jpg").ok);
}

// Each failure names its file and says why, before the panel's message.
TEST_F(BatchRun, AFailureSaysWhyInTheSystemsOrTheDecodersWords) {
  fs::create_directories(in / "folder.jpg");
  test::WriteText(in / "text.jpg", "not a picture");
  const fs::path cut = Jpeg("cut.jpg");
  test::WriteText(cut, test::ReadText(cut).substr(0, 30));  // its header cut short
  const fs::path locked = Jpeg("locked.jpg");
  test::WriteText(out / "locked_w16.jpg", "earlier");
  fs::permissions(out / "locked_w16.jpg", fs::perms::owner_read);
  const std::string unprocessable = ": This file cannot be converted (^_^;)\n";
  const struct {
    fs::path file;
    std::string line;
  } cases[] = {
      {in / "missing.jpg", "No such file or directory" + unprocessable},
      {in / "folder.jpg", "Is a directory (use -r)\n"},  // refused before any conversion
      {in / "text.jpg", "not an image Plendo reads" + unprocessable},
      {cut, "damaged JPEG data" + unprocessable},
      {locked, "Permission denied: Write error! Cannot save the output\n"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Run({"--settings", settings_file.string(), "--size", "16", "--out", out.string(), c.file.string()}),
              kExitSomeFailed);
    EXPECT_EQ(Err(), "plendo-batch: " + c.file.string() + ": " + c.line);
  }
}

TEST_F(BatchRun, CleanBatchExitsZero) {
  const fs::path a = Jpeg("a.jpg");
  const fs::path b = Jpeg("caf\xE9.jpg");  // a name that is not UTF-8 keeps its bytes
  EXPECT_EQ(Run({"--settings", settings_file.string(), "--size", "32", "--out", out.string(), a.string(), b.string()}),
            kExitOk);
  EXPECT_EQ(test::Listing(out), (std::vector<std::string>{"a_w32.jpg", "caf\xE9_w32.jpg"}));
  EXPECT_EQ(Out().find(" written, "), std::string::npos);  // no tally when every file was written
}

TEST_F(BatchRun, SkippedFilesAreNoFailure) {
  const fs::path a = Jpeg("a.jpg");
  test::WriteText(out / "a_w32.jpg", "earlier");
  EXPECT_EQ(Run({"--settings", settings_file.string(), "--size", "32", "--out", out.string(), "--skip", a.string()}),
            kExitOk);
  EXPECT_EQ(Out(), "0 written, 1 skipped (1 output existed, 0 not of the chosen type), 0 failed\n0 written\n");
  EXPECT_EQ(Err(), a.string() + ": skipped (the output file exists)\n");

  const fs::path b = Jpeg("b.jpg");
  EXPECT_EQ(Run({"--settings", settings_file.string(), "--size", "32", "--out", out.string(), "--type", "png",
                 a.string(), b.string()}),
            kExitOk);
  EXPECT_EQ(Err(), a.string() + ": skipped (not of the chosen type)\n" + b.string() +
                       ": skipped (not of the chosen type)\n");
  EXPECT_EQ(Out(), "0 written, 2 skipped (0 output existed, 2 not of the chosen type), 0 failed\n0 written\n");
}

TEST_F(BatchRun, ReadsThePanelsSettingsBesideTheProgramAndNeverWritesThem) {
  const fs::path env = bin / "plendo.ENV";
  const std::string text = "[Status]\nWOPath=" + out.string() +
                           "\nGSize=3\nRGL=0\nRGW=1\n[Option]\nAddGSMark=1\nJPEGExt=2\n";
  test::WriteText(env, text);
  const fs::path a = Jpeg("a.jpg", 10, 20);

  EXPECT_EQ(Run({a.string()}), kExitOk);  // item 3 of the built-in list is 36; width chosen
  EXPECT_EQ(test::Listing(out), std::vector<std::string>{"a_w36_g1s1.JPG"});
  EXPECT_EQ(Run({"--no-mark", "--side", "long", a.string()}), kExitOk);
  EXPECT_TRUE(fs::exists(out / "a_v36.JPG"));
  EXPECT_EQ(test::ReadText(env), text);
}

TEST_F(BatchRun, BesideWritesNextToEachSource) {
  const fs::path a = Jpeg("a.jpg");
  EXPECT_EQ(Run({"--settings", settings_file.string(), "--size", "16", "--beside", a.string()}), kExitOk);
  EXPECT_TRUE(test::ProbeJpeg(in / "a_w16.jpg").ok);
}

TEST_F(BatchRun, MissingOutputFolderConvertsNothing) {
  const fs::path a = Jpeg("a.jpg");
  EXPECT_EQ(Run({"--settings", settings_file.string(), "--size", "16", "--out", (dir / "gone").string(), a.string()}),
            kExitSomeFailed);
  EXPECT_NE(Err().find("the output folder does not exist"), std::string::npos);
  EXPECT_FALSE(fs::exists(dir / "gone"));
}

TEST_F(BatchRun, UsageErrorsExitTwo) {
  const fs::path a = Jpeg("a.jpg");
  EXPECT_EQ(Run({"--bogus", a.string()}), kExitUsage);
  EXPECT_NE(Err().find("unknown option --bogus"), std::string::npos);
  EXPECT_EQ(Run({"--settings", settings_file.string(), "--size", "16", "--out", out.string()}), kExitUsage);
  EXPECT_EQ(Run({"--settings", settings_file.string(), "--out", out.string(), a.string()}), kExitUsage);
  EXPECT_EQ(Run({"--settings", (dir / "missing.ENV").string(), "--size", "16", "--out", out.string(), a.string()}),
            kExitUsage);
  EXPECT_EQ(test::Listing(out), std::vector<std::string>{});
}

TEST_F(BatchRun, VersionIsTheProjects) {
  EXPECT_EQ(Run({"--version"}), kExitOk);
  EXPECT_EQ(Out(), "plendo-batch " PLENDO_VERSION "\n");
}

TEST_F(BatchRun, HelpIsPlainEnglishAndExitsZero) {
  EXPECT_EQ(Run({"--help"}), kExitOk);
  EXPECT_EQ(Out().rfind("Usage: plendo-batch [options] FILE...", 0), 0u);
  for (const char* option : {"--size", "--actual-size", "--side", "--out", "--beside", "--quality", "--progressive",
                             "--no-progressive", "--exif", "--no-exif", "--gamma", "--sharpness", "--mark", "--no-mark",
                             "--auto-effects-off", "--no-auto-effects-off", "--ext", "--overwrite", "--skip", "--type",
                             "--settings"})
    EXPECT_NE(Out().find(option), std::string::npos) << option;
}

TEST_F(BatchRun, AStopRequestFinishesTheCurrentFileAndReportsTheRest) {
  const fs::path a = Jpeg("a.jpg");
  const fs::path b = Jpeg("b.jpg");
  int asked = 0;
  environment.stop_requested = [&] { return ++asked == 2; };
  EXPECT_EQ(Run({"--settings", settings_file.string(), "--size", "16", "--out", out.string(), a.string(), b.string()}),
            kExitSomeFailed);
  EXPECT_EQ(test::Listing(out), std::vector<std::string>{"a_w16.jpg"});
  EXPECT_EQ(Err(), b.string() + ": not converted (stopped)\n");
  EXPECT_NE(Out().find("1 written, 0 skipped (0 output existed, 0 not of the chosen type), 0 failed, "
                       "1 not converted (stopped)\n1 written\n"),
            std::string::npos);
}

// A camera card: the same numbers in both folders.
TEST_F(BatchRun, RecursiveConvertsACardTreeIntoTheSameTree) {
  for (const char* name : {"DCIM/100CANON/IMG_0001.JPG", "DCIM/100CANON/IMG_0002.JPG", "DCIM/101CANON/IMG_0001.JPG",
                           "DCIM/.thumbs/IMG_0001.JPG"}) {
    fs::create_directories((in / name).parent_path());
    Jpeg(name);
  }
  test::WriteText(in / "DCIM/100CANON/MVI_0003.MOV", "not a picture: passed by, not a failure");
  const std::vector<std::string> base{"--settings", settings_file.string(), "--size", "16", "--out", out.string()};
  std::vector<std::string> args = base;
  args.push_back((in / "DCIM").string());
  EXPECT_EQ(Run(args), kExitSomeFailed);
  EXPECT_EQ(Err(), "plendo-batch: " + (in / "DCIM").string() + ": Is a directory (use -r)\n");

  args.insert(args.begin(), "-r");
  EXPECT_EQ(Run(args), kExitOk);
  const std::vector<std::string> tree{"100CANON/IMG_0001_w16.jpg", "100CANON/IMG_0002_w16.jpg",
                                      "101CANON/IMG_0001_w16.jpg"};
  EXPECT_EQ(test::TreeListing(out), tree);
  EXPECT_EQ(Out(), (out / tree[0]).string() + "\n" + (out / tree[1]).string() + "\n" + (out / tree[2]).string() +
                       "\n3 written\n");
}

// One list with newlines from a file, one with NULs from the standard input;
// the two a.jpg of the list are both kept.
class FilesFrom : public BatchRun, public ::testing::WithParamInterface<bool> {};

TEST_P(FilesFrom, ReadsTheNamesInOrder) {
  const bool null_separated = GetParam();
  fs::create_directories(in / "x");
  fs::create_directories(in / "y");
  const std::string names[] = {Jpeg("x/a.jpg").string(), Jpeg("y/a.jpg").string(), Jpeg("line\nbreak.jpg").string()};
  const int count = null_separated ? 3 : 2;  // a name with a newline needs -0
  std::string list;
  for (int i = 0; i < count; ++i) list += names[i] + (null_separated ? '\0' : '\n');
  std::istringstream input(list);
  std::vector<std::string> args{"--settings", settings_file.string(), "--size", "16", "--out", out.string(),
                                "--files-from"};
  if (null_separated) {
    environment.input = &input;
    args.insert(args.end(), {"-", "-0"});
  } else {
    test::WriteText(dir / "list.txt", list);
    args.push_back((dir / "list.txt").string());
  }
  EXPECT_EQ(Run(args), kExitOk);
  std::string expected = (out / "a_w16.jpg").string() + "\n" + (out / "a_w16_2.jpg").string() + "\n";
  if (null_separated) expected += (out / "line\nbreak_w16.jpg").string() + "\n";
  EXPECT_EQ(Out(), expected + std::to_string(count) + " written\n");
}

INSTANTIATE_TEST_SUITE_P(Separator, FilesFrom, ::testing::Bool(),
                         [](const auto& info) { return info.param ? "Nul" : "Newline"; });

TEST_F(BatchRun, DryRunWritesNothing) {
  const fs::path a = Jpeg("a.jpg", 40, 20);
  const fs::path b = Jpeg("b.jpg", 10, 20);
  fs::create_directories(in / "sub");
  Jpeg("sub/c.jpg");
  EXPECT_EQ(Run({"--settings", settings_file.string(), "--size", "16", "--out", out.string(), "--dry-run", "-r",
                 a.string(), b.string(), (in / "sub").string()}),
            kExitOk);
  EXPECT_EQ(Out(), a.string() + " -> " + (out / "a_w16.jpg").string() + "\n" + b.string() + " -> " +
                       (out / "b_v16.jpg").string() + "\n" + (in / "sub/c.jpg").string() + " -> " +
                       (out / "c_w16.jpg").string() + "\n3 would be written\n");
  EXPECT_EQ(test::TreeListing(dir.Path()), (std::vector<std::string>{"empty.ENV", "in/a.jpg", "in/b.jpg",
                                                                    "in/sub/c.jpg"}));
}

TEST_F(BatchRun, QuietAndVerbose) {
  const fs::path a = Jpeg("a.jpg", 20, 10);
  const fs::path bad = in / "bad.jpg";
  test::WriteText(bad, "not a picture");
  const std::vector<std::string> base{"--settings", settings_file.string(), "--size", "640", "--out", out.string(),
                                      "--no-enlarge", a.string(), bad.string()};
  std::vector<std::string> args = base;
  args.push_back("-q");
  EXPECT_EQ(Run(args), kExitSomeFailed);
  EXPECT_EQ(Out(), "1 written, 0 skipped (0 output existed, 0 not of the chosen type), 1 failed\n1 written\n");
  EXPECT_EQ(Err(), "plendo-batch: " + bad.string() + ": not an image Plendo reads: This file cannot be converted (^_^;)\n");

  args.back() = "-v";
  EXPECT_EQ(Run(args), kExitSomeFailed);
  const std::string bytes = std::to_string(fs::file_size(out / "a_w640.jpg"));
  EXPECT_EQ(Out().rfind((out / "a_w640.jpg").string() + " (20 x 10, " + bytes + " bytes, ", 0), 0u) << Out();
}

// The program itself, for what only a process shows: its exit status.
int RunProgram(const std::string& args) {
  const std::string command = std::string(PLENDO_BATCH_PROGRAM) + " " + args + " >/dev/null 2>&1";
  const int status = std::system(command.c_str());
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST_F(BatchRun, AnUnwritableStandardOutputFailsTheRun) {
  const fs::path a = Jpeg("a.jpg");
  std::ostream broken(nullptr);
  EXPECT_EQ(RunBatch({"--settings", settings_file.string(), "--size", "16", "--out", out.string(), a.string()}, broken,
                     stderr_, environment),
            kExitSomeFailed);
  EXPECT_EQ(RunBatch({"--version"}, broken, stderr_, environment), kExitSomeFailed);
  EXPECT_NE(Err().find("plendo-batch: write error on the standard output"), std::string::npos);
}

// The program on a batch long enough to be interrupted: `signals` are sent
// `delay` after its start (a second one right after the first). Its wait
// status.
// Signals the program `delay` after it starts, or, with `once_writing`, once
// its first output or temporary file is there (a loaded machine may take
// longer than any fixed delay to reach the conversions).
int InterruptedRun(const test::TempDir& dir, std::chrono::milliseconds delay, std::vector<int> signals,
                   bool once_writing = false) {
  std::vector<std::string> args = {PLENDO_BATCH_PROGRAM, "--settings", (dir / "s.ENV").string(), "--size", "3000", "--sharpness", "3",
                                   "--quality", "100", "--out", (dir / "out").string()};
  // Forty files: the same file named forty times would be converted once.
  for (int i = 0; i < 40; ++i) args.push_back((dir / ("a" + std::to_string(i) + ".jpg")).string());
  std::vector<char*> argv;
  for (auto& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, (dir / "stdout").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
  pid_t pid = 0;
  const int rc = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (rc != 0) return -1;
  std::this_thread::sleep_for(delay);
  for (int i = 0; once_writing && test::Listing(dir / "out").empty() && i < 3000; ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  for (int sig : signals) ::kill(pid, sig);
  int status = 0;
  ::waitpid(pid, &status, 0);
  return status;
}

class BatchSignals : public ::testing::Test {
 protected:
  BatchSignals() {
    fs::create_directories(dir / "out");
    test::WriteText(dir / "s.ENV", "");
    test::WriteJpegSource(dir / "a0.jpg", 1800, 1200);
    for (int i = 1; i < 40; ++i) fs::copy_file(dir / "a0.jpg", dir / ("a" + std::to_string(i) + ".jpg"));
  }
  std::vector<std::string> TempFilesLeft() const {
    std::vector<std::string> left;
    for (const auto& name : test::Listing(dir / "out"))
      if (name.rfind(".plendo-", 0) == 0) left.push_back(name);
    return left;
  }
  test::TempDir dir;
};

TEST_F(BatchSignals, CtrlCEndsTheProgramAsInterruptedAfterTheTally) {
  const int status = InterruptedRun(dir, std::chrono::milliseconds(0), {SIGINT}, true);
  ASSERT_TRUE(WIFSIGNALED(status)) << status;
  EXPECT_EQ(WTERMSIG(status), SIGINT);
  const std::string printed = test::ReadText(dir / "stdout");
  EXPECT_NE(printed.find("not converted (stopped)\n"), std::string::npos);
  EXPECT_TRUE(printed.ends_with(" written\n")) << printed;  // the count after the tally
  EXPECT_EQ(TempFilesLeft(), std::vector<std::string>{});
}

TEST_F(BatchSignals, TermAtAnyMomentLeavesNoTemporaryFile) {
  for (int ms : {0, 5, 20, 60, 150, 400}) {
    for (const auto& signals : {std::vector<int>{SIGTERM}, std::vector<int>{SIGTERM, SIGTERM}}) {
      const int status = InterruptedRun(dir, std::chrono::milliseconds(ms), signals);
      EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGTERM) << ms << " ms: " << status;
      EXPECT_EQ(TempFilesLeft(), std::vector<std::string>{}) << ms << " ms, " << signals.size() << " signals";
    }
  }
}

TEST(BatchProgram, ExitStatuses) {
  EXPECT_EQ(RunProgram("--help"), kExitOk);
  EXPECT_EQ(RunProgram("--no-such-option x.jpg"), kExitUsage);
  test::TempDir dir;
  test::WriteJpegSource(dir / "a.jpg", 20, 10);
  test::WriteText(dir / "s.ENV", "");
  const std::string base = "--settings " + (dir / "s.ENV").string() + " --size 8 --out " + dir.Path().string() + " ";
  EXPECT_EQ(RunProgram(base + (dir / "a.jpg").string()), kExitOk);
  EXPECT_EQ(RunProgram(base + (dir / "missing.jpg").string()), kExitSomeFailed);
  const int full = std::system((std::string(PLENDO_BATCH_PROGRAM) + " --version >/dev/full 2>/dev/null").c_str());
  EXPECT_EQ(WIFEXITED(full) ? WEXITSTATUS(full) : -1, kExitSomeFailed);
}

// The messages, the tally, the count and --help follow the locale, with no
// locale installed; the paths scripts read are the same in both languages.
TEST(BatchProgram, SpeaksTheLanguageOfTheLocale) {
  test::TempDir dir;
  test::WriteJpegSource(dir / "a.jpg", 20, 10);
  test::WriteText(dir / "bad.jpg", "not a picture");
  test::WriteText(dir / "s.ENV", "");
  const auto run = [&dir](const std::string& locale, const std::string& args) {
    const std::string command = "env -u LC_ALL -u LC_MESSAGES -u LANG -u LANGUAGE " + locale + " " +
                                PLENDO_BATCH_PROGRAM + " " + args + " >" + (dir / "stdout").string() + " 2>" +
                                (dir / "stderr").string();
    EXPECT_NE(std::system(command.c_str()), -1);
    return std::pair{test::ReadText(dir / "stdout"), test::ReadText(dir / "stderr")};
  };
  const std::string batch = "--settings " + (dir / "s.ENV").string() + " --size 8 --overwrite --out " +
                            dir.Path().string() + " " + (dir / "a.jpg").string() + " " + (dir / "bad.jpg").string();
  const std::string written = (dir / "a_w8.jpg").string() + "\n";
  const std::string failed = "plendo-batch: " + (dir / "bad.jpg").string() + ": ";

  const auto [english, englishErrors] = run("LC_ALL=C LANGUAGE=ja", batch);
  EXPECT_EQ(english, written + "1 written, 0 skipped (0 output existed, 0 not of the chosen type), 1 failed\n1 written\n");
  EXPECT_EQ(englishErrors, failed + "not an image Plendo reads: This file cannot be converted (^_^;)\n");
  const auto [japanese, japaneseErrors] = run("LC_ALL=C.UTF-8 LANGUAGE=ja", batch);
  EXPECT_EQ(japanese, written + "出力 1 枚、スキップ 0 枚 (出力済みファイルあり 0、対象外の種類 0)、失敗 1 枚\n出力済 1 枚\n");
  EXPECT_EQ(japaneseErrors, failed + "Plendo が読める画像ではありません: このファイルは 処理不能です (^_^;)\n");

  EXPECT_NE(run("LANG=ja_JP.UTF-8", "--help").first.find("\n画質補正\n  --gamma L"), std::string::npos);
  EXPECT_NE(run("LANG=en_US.UTF-8", "--help").first.find("\nCorrections\n  --gamma L"), std::string::npos);
  EXPECT_EQ(run("LANG=ja_JP.UTF-8", "--bogus").second,
            "plendo-batch: --bogus というオプションはありません\n使い方は 'plendo-batch --help' で表示されます。\n");
}

}  // namespace
}  // namespace plendo::cli
