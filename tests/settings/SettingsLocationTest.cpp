#include "settings/SettingsLocation.h"

#include <gtest/gtest.h>

#include <fstream>

#include "settings/SettingsStore.h"
#include "support/TempDir.h"

namespace plendo::settings {
namespace {

TEST(SettingsLocationTest, ExtensionIsReplacedOrAppended) {
  EXPECT_EQ(SettingsFilePathFor("/opt/bin/plendo"), "/opt/bin/plendo.ENV");
  EXPECT_EQ(SettingsFilePathFor("/opt/bin/plendo.exe"), "/opt/bin/plendo.ENV");
  EXPECT_EQ(SettingsFilePathFor("/opt/v1.2/plendo.bin.x"), "/opt/v1.2/plendo.bin.ENV");
}

// Which file a copy of the program reads and writes, by where it lies and
// what lies around it.
TEST(SettingsLocationTest, InstalledCopiesUseTheConfigFolderBuildAndPortableCopiesTheirOwn) {
  test::TempDir dir;
  const auto user = dir / "config" / "plendo";
  const auto system = dir / "xdg" / "plendo";
  const auto make = [&](const std::string& file, const std::string& text = "") {
    std::filesystem::create_directories((dir / file).parent_path());
    std::ofstream(dir / file) << text;
  };
  make("build/CMakeCache.txt");
  make("build/bin/plendo");
  make("portable/plendo.ENV");
  std::filesystem::create_directories(dir / "local" / "bin");
  const SettingsFolders folders{user, {system}};
  const struct {
    const char* what;
    std::filesystem::path exe, read, write;
  } cases[] = {
      {"installed under /usr", "/usr/bin/plendo", "", user / "plendo.ENV"},
      {"installed under /usr/local", "/usr/local/bin/plendo", "", user / "plendo.ENV"},
      {"installed in a writable prefix", dir / "local/bin/plendo", "", user / "plendo.ENV"},
      {"build tree", dir / "build/bin/plendo", dir / "build/bin/plendo.ENV", dir / "build/bin/plendo.ENV"},
      {"portable copy with its file", dir / "portable/plendo", dir / "portable/plendo.ENV",
       dir / "portable/plendo.ENV"},
  };
  for (const auto& c : cases) {
    const SettingsLocation loc = ResolveSettingsLocation(c.exe, folders);
    EXPECT_EQ(loc.readPath, c.read) << c.what;
    EXPECT_EQ(loc.writePath, c.write) << c.what;
  }

  // A system default is read while the user has no file, then the user's.
  make("xdg/plendo/plendo.ENV", "[Secret]\nCompress=88\n");
  EXPECT_EQ(ResolveSettingsLocation("/usr/bin/plendo", folders).readPath, system / "plendo.ENV");
  make("config/plendo/plendo.ENV");
  EXPECT_EQ(ResolveSettingsLocation("/usr/bin/plendo", folders).readPath, user / "plendo.ENV");
  EXPECT_EQ(ResolveSettingsLocation(dir / "local/bin/plendo", folders).readPath, user / "plendo.ENV");
}

TEST(SettingsLocationTest, XdgConfigDirsListsTheSystemDefaults) {
  const char* old = std::getenv("XDG_CONFIG_DIRS");
  const std::string saved = old ? old : "";
  ::unsetenv("XDG_CONFIG_DIRS");
  EXPECT_EQ(SystemConfigFolders(), (std::vector<std::filesystem::path>{"/etc/xdg/plendo"}));
  ::setenv("XDG_CONFIG_DIRS", "/a:relative::/b/", 1);
  EXPECT_EQ(SystemConfigFolders(), (std::vector<std::filesystem::path>{"/a/plendo", "/b/plendo"}));
  if (old) ::setenv("XDG_CONFIG_DIRS", saved.c_str(), 1); else ::unsetenv("XDG_CONFIG_DIRS");
}

TEST(SettingsLocationTest, RealCheckRefusesMissingFoldersAndNonFiles) {
  test::TempDir dir;
  EXPECT_TRUE(CanWriteFile(dir / "x.ENV"));
  EXPECT_FALSE(CanWriteFile(dir / "missing" / "x.ENV"));
  std::filesystem::create_directory(dir / "d.ENV");
  EXPECT_FALSE(CanWriteFile(dir / "d.ENV"));
}

TEST(SettingsLocationTest, ReadOnlyPortableCopyCarriesItsFileToTheConfigFolder) {
  test::TempDir dir;
  const auto exe = dir / "bin" / "plendo";
  std::filesystem::create_directory(dir / "bin");
  std::ofstream(dir / "bin" / "plendo.ENV") << "[Secret]\nCompress=88\n";
  const auto config = dir / "config" / "plendo";
  SettingsFolders folders{config, {}};
  folders.canWrite = [&](const std::filesystem::path& p) { return p.parent_path() != dir / "bin"; };

  SettingsLocation loc = ResolveSettingsLocation(exe, folders);
  EXPECT_TRUE(loc.fallback);
  EXPECT_EQ(loc.writePath, config / "plendo.ENV");
  EXPECT_EQ(loc.readPath, dir / "bin" / "plendo.ENV");  // nothing in the config folder yet

  // The first end write creates the config folder and carries the shipped
  // file's own entries over.
  MainPanelSettings panel;
  panel.WOPath = "/srv/out";
  WriteEndSettings(loc, AppSettings{}, panel);
  ASSERT_TRUE(std::filesystem::exists(config / "plendo.ENV"));

  loc = ResolveSettingsLocation(exe, folders);
  EXPECT_EQ(loc.readPath, config / "plendo.ENV");
  const StartSettings s = ReadStartSettings(loc.readPath);
  EXPECT_EQ(s.panel.WOPath, "/srv/out");
  EXPECT_EQ(s.app.Compress, 88);
}

TEST(SettingsLocationTest, ConfigFolderFollowsXdgConfigHome) {
  const char* oldXdg = std::getenv("XDG_CONFIG_HOME");
  const std::string saved = oldXdg ? oldXdg : "";
  ::setenv("XDG_CONFIG_HOME", "/x/conf", 1);
  EXPECT_EQ(ConfigFolder(), "/x/conf/plendo");
  ::setenv("XDG_CONFIG_HOME", "relative", 1);  // not absolute: ignored
  ::setenv("HOME", "/home/u", 1);
  EXPECT_EQ(ConfigFolder(), "/home/u/.config/plendo");
  if (oldXdg) ::setenv("XDG_CONFIG_HOME", saved.c_str(), 1); else ::unsetenv("XDG_CONFIG_HOME");
}

}  // namespace
}  // namespace plendo::settings
