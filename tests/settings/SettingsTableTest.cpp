// Every entry of the settings table survives a write and a read, and an empty
// file reads as the defaults.
#include <gtest/gtest.h>

#include <type_traits>

#include "settings/SettingsTable.h"

namespace plendo::settings {
namespace {

template <class F>
struct MemberOf;
template <class T, class R>
struct MemberOf<T R::*> {
  using Record = R;
};

template <class R>
R& RecordOf(StoredSettings& s) {
  if constexpr (std::is_same_v<R, AppSettings>) return s.app;
  else return s.panel;
}

// Gives every entry a value other than its default.
void ChangeEveryEntry(StoredSettings& s) {
  for (const SettingEntry& e : SettingsTable())
    std::visit(
        [&]<class F>(F field) {
          if constexpr (!std::is_same_v<F, CustomEntry>) {
            auto& value = RecordOf<typename MemberOf<F>::Record>(s).*field;
            using T = std::remove_cvref_t<decltype(value)>;
            if constexpr (std::is_same_v<T, bool>) value = !value;
            else if constexpr (std::is_same_v<T, std::string>) value = "/写真 /out";
            else value += 2;
          }
        },
        e.field);
  s.panel.RSize = {kActualSizeItem, "320", "1600"};
  s.panel.GSize = 2;
  s.app.SaveGSize = 1;
  s.panel.PanelStyle = kPanelStyleNormal;
}

// Compares every entry the table reads back.
void ExpectSameEntries(StoredSettings a, StoredSettings b, bool secret_too) {
  for (const SettingEntry& e : SettingsTable()) {
    if (!e.written && !secret_too) continue;
    SCOPED_TRACE(e.key);
    std::visit(
        [&]<class F>(F field) {
          if constexpr (!std::is_same_v<F, CustomEntry>) {
            using R = typename MemberOf<F>::Record;
            EXPECT_EQ(RecordOf<R>(a).*field, RecordOf<R>(b).*field);
          }
        },
        e.field);
  }
  EXPECT_EQ(a.panel.RSize, b.panel.RSize);
  EXPECT_EQ(a.panel.GSize, b.panel.GSize);
  EXPECT_EQ(a.app.SaveGSize, b.app.SaveGSize);
  EXPECT_EQ(a.panel.PanelStyle, b.panel.PanelStyle);
}

TEST(SettingsTable, EveryWrittenEntryReadsBackAndSecretOnesKeepTheirDefaults) {
  StoredSettings changed;
  ChangeEveryEntry(changed);
  platform::IniFile ini;
  WriteEntries(ini, changed);

  StoredSettings back;
  ReadEntries(ini, back);
  ExpectSameEntries(back, changed, false);
  EXPECT_EQ(back.app.Compress, AppSettings{}.Compress);    // hand-tuned: never written
  EXPECT_EQ(back.app.GammaStep, AppSettings{}.GammaStep);
}

TEST(SettingsTable, AnEmptyFileReadsAsTheDefaults) {
  StoredSettings read;
  ReadEntries(platform::IniFile(), read);
  ExpectSameEntries(read, StoredSettings{}, true);
}

}  // namespace
}  // namespace plendo::settings
