#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/FolderPlacement.h"
#include "app/PathShortening.h"
#include "app/SizeBoxRules.h"
#include "settings/SizeList.h"
#include "support/TestNames.h"

namespace plendo::app {
namespace {

int Bytes(const std::string& s) { return static_cast<int>(s.size()); }

struct ShortenCase {
  std::string path;
  int limit;
  std::string expected;
  PathStyle style;
};

void PrintTo(const ShortenCase& c, std::ostream* os) { *os << c.path << " @" << c.limit; }

class ShortenPathTest : public ::testing::TestWithParam<ShortenCase> {};

TEST_P(ShortenPathTest, CutsLeadingFoldersUntilItFits) {
  const ShortenCase& c = GetParam();
  EXPECT_EQ(ShortenPath(c.path, c.limit, Bytes, c.style), c.expected);
}

constexpr PathStyle kDrives{'\\', true};
const std::string kWin = "D:\\photo\\2020\\trip\\resized";
const std::string kLinux = "/home/u/photo/trip/resized";

INSTANTIATE_TEST_SUITE_P(
    Examples, ShortenPathTest,
    ::testing::Values(
        ShortenCase{kWin, 26, kWin, kDrives},
        ShortenCase{kWin, 25, "D:\\...\\2020\\trip\\resized", kDrives},
        ShortenCase{kWin, 23, "D:\\...\\trip\\resized", kDrives},
        ShortenCase{kWin, 18, "D:\\...\\resized", kDrives},
        ShortenCase{kWin, 13, "...\\resized", kDrives},
        ShortenCase{kWin, 10, "resized", kDrives},
        ShortenCase{kWin, 0, "resized", kDrives},
        ShortenCase{"D:\\out", 220, "D:\\out", kDrives},
        ShortenCase{kLinux, 26, kLinux, {}},
        ShortenCase{kLinux, 25, "/.../u/photo/trip/resized", {}},
        ShortenCase{kLinux, 24, "/.../photo/trip/resized", {}},
        ShortenCase{kLinux, 18, "/.../trip/resized", {}},
        ShortenCase{kLinux, 13, "/.../resized", {}},
        ShortenCase{kLinux, 11, ".../resized", {}},
        ShortenCase{kLinux, 3, "resized", {}},
        ShortenCase{"/写真/二〇二〇/出力 先", 20, "/.../出力 先", {}},
        ShortenCase{"/", 220, "/", {}},
        ShortenCase{"relative", 0, "relative", {}}), test::PrintedNameAndIndex());

TEST(ShortenPathRulesTest, FolderBeginningWithADotIsCutWhole) {
  std::vector<std::string> shown;
  const auto width = [&](const std::string& s) {
    shown.push_back(s);
    return Bytes(s);
  };
  EXPECT_EQ(ShortenPath("/.a/out", 6, width), "out");
  // Every stage keeps the fact that a folder was cut: never "/out".
  EXPECT_EQ(shown, (std::vector<std::string>{"/.a/out", "/.../out", ".../out"}));
  EXPECT_EQ(ShortenPath("/home/.config/x", 11, Bytes), "/.../x");
}

TEST(FolderPlacementTest, PushedInsideAndCentredForZero) {
  struct Row { int x, y, sw, sh, w, h; ScreenPoint at; };
  const Row rows[] = {
      {200, 150, 1024, 768, 400, 300, {200, 150}},
      {900, 100, 1024, 768, 400, 300, {624, 100}},   // right edge
      {100, 700, 1024, 768, 400, 300, {100, 468}},   // bottom edge
      {0, 150, 1024, 768, 400, 300, {312, 234}},     // centred
      {200, 0, 1024, 768, 401, 301, {311, 233}},     // halves truncate
      {-40, -9, 1024, 768, 400, 300, {0, 0}},
      {50, 50, 800, 600, 1000, 700, {0, 0}},         // bigger than the screen
  };
  for (const Row& r : rows)
    EXPECT_EQ(PlaceBrowseDialog(r.x, r.y, r.sw, r.sh, r.w, r.h), r.at) << r.x << "," << r.y;
}

TEST(SizeBoxRulesTest, KeyClasses) {
  EXPECT_EQ(ClassifyGDotKey(13), GDotKey::Swallow);
  EXPECT_EQ(ClassifyGDotKey(32), GDotKey::Toggle);
  for (char32_t c : {U'0', U'5', U'9', char32_t{8}, char32_t{22}, char32_t{1}, char32_t{31}})
    EXPECT_EQ(ClassifyGDotKey(c), GDotKey::Pass) << static_cast<int>(c);
  for (char32_t c : {U'a', U'Z', U'-', U'.', U'+', U'０', U'原', char32_t{127}})
    EXPECT_EQ(ClassifyGDotKey(c), GDotKey::Refuse) << static_cast<int>(c);
}

TEST(SizeBoxRulesTest, UsableSizes) {
  for (const char* ok : {"原寸", "1", "640", "0640", "2147483647"})
    EXPECT_TRUE(IsUsableSizeText(ok)) << ok;
  for (const char* bad : {"", "0", "000", "-640", "+640", " 640", "64 0", "2147483648", "6.4", "原寸 ", "abc"})
    EXPECT_FALSE(IsUsableSizeText(bad)) << bad;
}

TEST(SizeBoxRulesTest, PrefixFindsTheFirstItemInListOrder) {
  const auto& items = settings::DefaultSizeList();
  const auto item = [&](const std::string& p) {
    auto i = FindItemWithPrefix(items, p);
    return i ? items[static_cast<std::size_t>(*i)] : std::string("-");
  };
  EXPECT_EQ(item("3"), "30");
  EXPECT_EQ(item("36"), "36");
  EXPECT_EQ(item("35"), "-");
  EXPECT_EQ(item("1"), "100");
  EXPECT_EQ(item("4"), "40");
  EXPECT_EQ(item("40"), "40");
  EXPECT_EQ(item("409"), "4096");
  EXPECT_EQ(item(""), "-");
  EXPECT_EQ(FindItemWithPrefix({"Ab", "aB"}, "ab"), 0);
}

// Each row: the box's text and highlight (start, length; length 0 puts the
// cursor at start), the key typed, and what the box shows afterwards.
TEST(SizeBoxRulesTest, KeysEditTheTextAndTheHighlight) {
  using A = SizeBoxAction;
  struct Row {
    const char* text; int start, length; char32_t key;
    A action; const char* shown; int shownStart, shownLength, item;
  };
  const std::vector<std::string> items = {"原寸", "24", "30", "36", "100", "128"};
  const Row rows[] = {
      {"", 0, 0, U'3', A::Edit, "30", 1, 1, 2},          // completes, rest highlighted
      {"30", 1, 1, U'6', A::Edit, "36", 2, 0, 3},        // replaces the highlight
      {"30", 1, 1, U'5', A::Edit, "35", 2, 0, -1},       // no item: typed as it is
      {"36", 2, 0, U'1', A::Edit, "361", 3, 0, -1},
      {"36", 1, 0, U'5', A::Edit, "356", 2, 0, -1},      // inserted at the cursor
      {"3", 0, 0, U'2', A::Edit, "24", 1, 1, 1},         // completes from the text before the cursor
      {"3", 0, 0, U'5', A::Edit, "53", 1, 0, -1},
      {"128", 0, 3, U'1', A::Edit, "100", 1, 2, 4},      // first item in list order
      {"1", 1, 0, U'2', A::Edit, "128", 2, 1, 5},
      {"原寸", 2, 0, U'3', A::Edit, "原寸3", 3, 0, -1},  // positions in UTF-16 units
      {"30", 1, 1, 8, A::Edit, "3", 1, 0, -1},           // Backspace: the highlight
      {"36", 2, 0, 8, A::Edit, "3", 1, 0, -1},           // or the character before
      {"36", 1, 0, 8, A::Edit, "6", 0, 0, -1},
      {"36", 0, 0, 8, A::Nothing, "", 0, 0, -1},
      {"36", 2, 0, 13, A::Nothing, "", 0, 0, -1},
      {"36", 2, 0, U' ', A::Toggle, "", 0, 0, -1},
      {"36", 2, 0, U'a', A::Beep, "", 0, 0, -1},
      {"36", 2, 0, 22, A::BoxOwn, "", 0, 0, -1},         // Ctrl+V: the edit line pastes
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(std::string(r.text) + " @" + std::to_string(r.start) + "+" +
                 std::to_string(r.length) + " key " + std::to_string(r.key));
    const SizeBoxKeyOutcome out =
        TypeIntoSizeBox({QString::fromUtf8(r.text), r.start, r.length}, r.key, items);
    EXPECT_EQ(out.action, r.action);
    if (r.action != A::Edit) continue;
    EXPECT_EQ(out.shown.text.toStdString(), r.shown);
    EXPECT_EQ(out.shown.start, r.shownStart);
    EXPECT_EQ(out.shown.length, r.shownLength);
    EXPECT_EQ(out.item, r.item);
  }
}

}  // namespace
}  // namespace plendo::app
