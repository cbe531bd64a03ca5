#include "platform/Language.h"

#include <string_view>

namespace plendo::platform {
namespace {

bool Set(const char* value) { return value && *value; }

// "ja", "ja_JP", "ja_JP.UTF-8", "ja@…", "ja:en": the first language named is Japanese.
bool NamesJapanese(std::string_view name) {
  return name.substr(0, 2) == "ja" && (name.size() == 2 || name[2] == '_' || name[2] == '.' || name[2] == '@' ||
                                       name[2] == ':');
}

}  // namespace

Language LocaleLanguage(const EnvironmentLookup& env) {
  std::string_view locale;
  for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
    if (const char* value = env(name); Set(value)) {
      locale = value;
      break;
    }
  }
  const bool plain = locale.empty() || locale == "C" || locale == "POSIX";
  if (const char* languages = env("LANGUAGE"); !plain && Set(languages))
    return NamesJapanese(languages) ? Language::Japanese : Language::English;
  return NamesJapanese(locale) ? Language::Japanese : Language::English;
}

}  // namespace plendo::platform
