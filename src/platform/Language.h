#pragma once
// The two languages Plendo speaks, and the one a locale environment asks for.
#include <functional>

// Marks a text for the translation tools, which read it as they read
// QT_TRANSLATE_NOOP: it stays the text itself, and whoever shows it looks it
// up in the translation of `context` (translations/ in the source tree).
#define PLENDO_TEXT(context, text) text

namespace plendo::platform {

enum class Language { Japanese, English };

using EnvironmentLookup = std::function<const char*(const char* name)>;

// Japanese when the messages locale (the first set of LC_ALL, LC_MESSAGES,
// LANG) is a Japanese one, English otherwise. LANGUAGE, a list of languages
// by preference, decides instead when it is set and the locale is not plain
// C or POSIX (which ask for the program's untranslated, stable English), as
// gettext has it: C.UTF-8 with LANGUAGE=ja is Japanese. Nothing here needs
// the locale to be installed.
Language LocaleLanguage(const EnvironmentLookup& env);

}  // namespace plendo::platform
