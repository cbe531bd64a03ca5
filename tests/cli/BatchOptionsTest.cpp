#include <gtest/gtest.h>

#include <regex>
#include <set>
#include <sstream>

#include "cli/BatchOptions.h"
#include "cli/ShellCompletion.h"
#include "support/TestNames.h"

namespace plendo::cli {
namespace {

TEST(BatchOptions, EveryOptionReachesTheJob) {
  const BatchOptions o = ParseBatchOptions({"--size", "800", "--side=height", "--out", "/o", "--quality", "90",
                                            "--progressive", "--exif", "--gamma", "2", "--sharpness=3", "--mark",
                                            "--no-auto-effects-off", "--ext", "JPEG", "--skip", "--type", "png",
                                            "--format", "avif", "--max-file-size", "150k", "--no-location",
                                            "--no-enlarge", "-r", "--files-from", "-", "-0", "--dry-run", "-q", "-v",
                                            "a.png", "--", "--odd-name.png"});
  const BatchJob job = MakeBatchJob(BatchJob{}, o);
  EXPECT_EQ(job.size_text, "800");
  EXPECT_EQ(job.side, engine::SizeSide::Height);
  EXPECT_EQ(job.wo_path, "/o");
  EXPECT_FALSE(job.app.OutOrigDir);
  EXPECT_EQ(job.app.Compress, 90);
  EXPECT_TRUE(job.app.Progress);
  EXPECT_TRUE(job.app.ExifCopy);
  EXPECT_EQ(job.app.Gamma, 2);
  EXPECT_EQ(job.app.SharpNess, 3);
  EXPECT_TRUE(job.app.AddGSMark);
  EXPECT_FALSE(job.app.AutoEffOFF);
  EXPECT_EQ(job.app.JPEGExt, 3);
  EXPECT_FALSE(job.app.OverWrite);
  EXPECT_EQ(job.app.XQTMode, 1);
  EXPECT_EQ(job.app.XQTExt, settings::kTypePng);
  EXPECT_EQ(job.app.OutFormat, settings::kFormatAvif);
  EXPECT_EQ(job.app.MaxFileKB, 150);
  EXPECT_TRUE(job.app.NoLocation);
  EXPECT_TRUE(job.app.NoEnlarge);
  EXPECT_TRUE(o.recursive);
  EXPECT_EQ(o.files_from, "-");
  EXPECT_TRUE(o.null_separated);
  EXPECT_TRUE(o.dry_run);
  EXPECT_TRUE(o.quiet);
  EXPECT_TRUE(o.verbose);
  EXPECT_EQ(o.files, (std::vector<std::string>{"a.png", "--odd-name.png"}));
}

TEST(BatchOptions, WhatIsNotGivenComesFromTheSettingsFile) {
  BatchJob stored;
  stored.app.Compress = 55;
  stored.app.XQTMode = 1;
  stored.app.XQTExt = settings::kTypeGif;
  stored.size_text = "原寸";
  stored.side = engine::SizeSide::Width;
  stored.wo_path = "/stored";
  const BatchJob job = MakeBatchJob(stored, ParseBatchOptions({"--type", "all", "x.jpg"}));
  EXPECT_EQ(job.app.Compress, 55);
  EXPECT_EQ(job.app.XQTMode, 0);
  EXPECT_EQ(job.size_text, "原寸");
  EXPECT_EQ(job.side, engine::SizeSide::Width);
  EXPECT_EQ(job.wo_path, "/stored");

  const BatchJob beside = MakeBatchJob(stored, ParseBatchOptions({"--beside", "--actual-size", "x.jpg"}));
  EXPECT_TRUE(beside.app.OutOrigDir);
}

// Sizes with units become whole KiB; bytes round down, never loosening the limit.
TEST(BatchOptions, FileSizeLimitTakesUnits) {
  const std::pair<const char*, std::int32_t> cases[] = {{"150k", 150}, {"150K", 150}, {"2M", 2048},
                                                        {"150000", 146}, {"1024", 1}, {"0", 0}};
  for (const auto& [text, kib] : cases)
    EXPECT_EQ(MakeBatchJob(BatchJob{}, ParseBatchOptions({"--size", "64", "--beside", "--max-file-size", text})).app.MaxFileKB,
              kib)
        << text;
}

class BadCommandLine : public ::testing::TestWithParam<std::vector<std::string>> {};

TEST_P(BadCommandLine, IsAUsageError) {
  BatchJob stored;
  stored.size_text = "640";
  stored.wo_path = "/o";
  EXPECT_THROW(MakeBatchJob(stored, ParseBatchOptions(GetParam())), UsageError);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, BadCommandLine,
    ::testing::Values(std::vector<std::string>{"--bogus", "a.jpg"}, std::vector<std::string>{"--size"},
                      std::vector<std::string>{"--size", "0", "a.jpg"}, std::vector<std::string>{"--size", "-5", "a.jpg"},
                      std::vector<std::string>{"--size", "12px", "a.jpg"},
                      std::vector<std::string>{"--size", "99999999999", "a.jpg"},
                      std::vector<std::string>{"--quality", "101", "a.jpg"},
                      std::vector<std::string>{"--gamma", "4", "a.jpg"},
                      std::vector<std::string>{"--sharpness", "x", "a.jpg"},
                      std::vector<std::string>{"--side", "diagonal", "a.jpg"},
                      std::vector<std::string>{"--ext", "png", "a.jpg"},
                      std::vector<std::string>{"--type", "svg", "a.jpg"},
                      std::vector<std::string>{"--progressive=yes", "a.jpg"},
                      std::vector<std::string>{"--out=", "a.jpg"},
                      std::vector<std::string>{"--format", "gif", "a.jpg"},
                      std::vector<std::string>{"--max-file-size", "1000", "a.jpg"},
                      std::vector<std::string>{"--max-file-size", "15kb", "a.jpg"},
                      std::vector<std::string>{"--max-file-size", "-3k", "a.jpg"},
                      std::vector<std::string>{"--files-from=", "a.jpg"}), test::PrintedNameAndIndex());

TEST(BatchOptions, NeedsASizeAndADestinationFromSomewhere) {
  EXPECT_THROW(MakeBatchJob(BatchJob{}, ParseBatchOptions({"--out", "/o", "a.jpg"})), UsageError);
  EXPECT_THROW(MakeBatchJob(BatchJob{}, ParseBatchOptions({"--size", "64", "a.jpg"})), UsageError);
  EXPECT_NO_THROW(MakeBatchJob(BatchJob{}, ParseBatchOptions({"--size", "64", "--beside", "a.jpg"})));
}

TEST(BatchOptions, HelpListsEveryOptionOfTheSettingsTable) {
  const std::string help = HelpText();
  for (const settings::SettingEntry& e : settings::SettingsTable()) {
    if (!e.HasOption()) continue;
    EXPECT_NE(help.find(e.option.name), std::string::npos) << e.option.name;
    if (e.option.off_name) EXPECT_NE(help.find(e.option.off_name), std::string::npos) << e.option.off_name;
  }
}

// --help and the completion scripts name the same options: every option the
// help shows is completed by each shell, and no script offers one more.
TEST(ShellCompletion, EveryShellCompletesExactlyTheOptionsOfHelp) {
  std::set<std::string> in_help;
  const std::regex option(R"((^|[ ,])(--?[a-z][a-z-]*))");
  std::istringstream help(HelpText());
  for (std::string line; std::getline(help, line);)
    if (line.rfind("  -", 0) == 0)
      for (std::sregex_iterator m(line.begin(), line.end(), option), end; m != end; ++m) in_help.insert((*m)[2]);
  std::set<std::string> specs;
  for (const OptionSpec& o : OptionSpecs()) specs.insert(o.name);
  EXPECT_EQ(specs, in_help);

  const struct {
    const char* shell;
    std::string script;
    std::regex offered;
  } scripts[] = {
      {"bash", BashCompletion(), std::regex(R"(compgen -W '(--[^']*)')")},
      {"zsh", ZshCompletion(), std::regex(R"(^  '(-[-a-z]+)\[)")},
      {"fish", FishCompletion(), std::regex(R"(^complete -c plendo-batch -[ls] ([a-z-]+))")},
  };
  for (const auto& s : scripts) {
    std::set<std::string> offered;
    std::istringstream lines(s.script);
    for (std::string line; std::getline(lines, line);) {
      std::smatch m;
      if (!std::regex_search(line, m, s.offered)) continue;
      std::istringstream words(m[1].str());
      for (std::string w; words >> w;) offered.insert(std::string(s.shell) == "fish" ? (w.size() == 1 ? "-" : "--") + w : w);
    }
    EXPECT_EQ(offered, specs) << s.shell;
  }
}

}  // namespace
}  // namespace plendo::cli
