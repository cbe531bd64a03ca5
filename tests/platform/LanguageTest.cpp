#include "platform/Language.h"

#include <gtest/gtest.h>

#include <map>
#include <string>

namespace plendo::platform {
namespace {

struct LocaleCase {
  std::map<std::string, std::string> env;
  Language expected;
};

// gettext's order: LC_ALL, LC_MESSAGES, LANG; LANGUAGE over them unless the
// locale is plain C.
TEST(LocaleLanguage, FollowsTheLocaleVariables) {
  const LocaleCase cases[] = {
      {{}, Language::English},
      {{{"LANG", "ja_JP.UTF-8"}}, Language::Japanese},
      {{{"LANG", "ja"}}, Language::Japanese},
      {{{"LANG", "jv_ID.UTF-8"}}, Language::English},
      {{{"LC_ALL", "C"}, {"LANG", "ja_JP.UTF-8"}}, Language::English},
      {{{"LC_MESSAGES", "ja_JP.eucJP"}, {"LANG", "en_US.UTF-8"}}, Language::Japanese},
      {{{"LC_ALL", ""}, {"LANG", "ja_JP.UTF-8"}}, Language::Japanese},
      {{{"LC_ALL", "C"}, {"LANGUAGE", "ja"}}, Language::English},
      {{{"LC_ALL", "POSIX"}, {"LANGUAGE", "ja"}}, Language::English},
      {{{"LC_ALL", "C.UTF-8"}, {"LANGUAGE", "ja:en"}}, Language::Japanese},
      {{{"LANG", "ja_JP.UTF-8"}, {"LANGUAGE", "en_GB:ja"}}, Language::English},
      {{{"LANGUAGE", "ja"}}, Language::English},
  };
  for (const LocaleCase& c : cases) {
    const auto env = [&c](const char* name) -> const char* {
      const auto it = c.env.find(name);
      return it == c.env.end() ? nullptr : it->second.c_str();
    };
    std::string shown;
    for (const auto& [name, value] : c.env) shown += name + "=" + value + " ";
    EXPECT_EQ(LocaleLanguage(env), c.expected) << shown;
  }
}

}  // namespace
}  // namespace plendo::platform
