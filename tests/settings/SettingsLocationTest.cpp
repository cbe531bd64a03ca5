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

TEST(SettingsLocationTest, WritableFolderKeepsTheFileBesideTheProgram) {
  test::TempDir dir;
  const auto loc = ResolveSettingsLocation(dir / "plendo", CanWriteFile, dir / "config");
  EXPECT_EQ(loc.readPath, dir / "plendo.ENV");
  EXPECT_EQ(loc.writePath, dir / "plendo.ENV");
  EXPECT_FALSE(loc.fallback);
}

TEST(SettingsLocationTest, RealCheckRefusesMissingFoldersAndNonFiles) {
  test::TempDir dir;
  EXPECT_TRUE(CanWriteFile(dir / "x.ENV"));
  EXPECT_FALSE(CanWriteFile(dir / "missing" / "x.ENV"));
  std::filesystem::create_directory(dir / "d.ENV");
  EXPECT_FALSE(CanWriteFile(dir / "d.ENV"));
}

TEST(SettingsLocationTest, UnwritableProgramFolderFallsBackToTheConfigFolder) {
  test::TempDir dir;
  const auto exe = dir / "bin" / "plendo";
  std::filesystem::create_directory(dir / "bin");
  std::ofstream(dir / "bin" / "plendo.ENV") << "[Secret]\nCompress=88\n";
  const auto readOnly = [&](const std::filesystem::path& p) { return p.parent_path() != dir / "bin"; };
  const auto config = dir / "config" / "plendo";

  SettingsLocation loc = ResolveSettingsLocation(exe, readOnly, config);
  EXPECT_TRUE(loc.fallback);
  EXPECT_EQ(loc.writePath, config / "plendo.ENV");
  EXPECT_EQ(loc.readPath, dir / "bin" / "plendo.ENV");  // nothing in the config folder yet

  // The first end write creates the config folder and carries the shipped
  // file's own entries over.
  MainPanelSettings panel;
  panel.WOPath = "/srv/out";
  WriteEndSettings(loc, AppSettings{}, panel);
  ASSERT_TRUE(std::filesystem::exists(config / "plendo.ENV"));

  loc = ResolveSettingsLocation(exe, readOnly, config);
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
