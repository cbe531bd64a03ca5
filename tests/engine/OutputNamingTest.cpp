#include <gtest/gtest.h>

#include "engine/OutputNaming.h"
#include "support/TestNames.h"

namespace plendo::engine {
namespace {

struct NameCase {
  const char* path;
  const char* base;
  const char* ext;
  friend void PrintTo(const NameCase& c, std::ostream* os) { *os << c.path; }
};

class PathPieces : public ::testing::TestWithParam<NameCase> {};

TEST_P(PathPieces, BaseNameAndExtension) {
  const NameCase& c = GetParam();
  EXPECT_EQ(ExtractFileBaseName(c.path), c.base);
  EXPECT_EQ(ExtractFileExt(c.path), c.ext);
}

INSTANTIATE_TEST_SUITE_P(Names, PathPieces,
                         ::testing::Values(NameCase{"/a/photo.tar.jpg", "photo.tar", ".jpg"},
                                           NameCase{"/a/IMG_0012.JPG", "IMG_0012", ".JPG"},
                                           NameCase{"/a/noext", "noext", ""},
                                           NameCase{"/a.b/noext", "noext", ""},   // a dot in a folder is no extension
                                           NameCase{"/a/.hidden", "", ".hidden"},
                                           NameCase{"/a/trailing.", "trailing", "."},
                                           NameCase{"plain.png", "plain", ".png"},
                                           NameCase{"/写真/夏 休み.jpeg", "夏 休み", ".jpeg"}),
                         test::PrintedNameAndIndex());

TEST(IncludeTrailingChar, AddsTheCharOnlyWhenMissing) {
  EXPECT_EQ(IncludeTrailingChar("/out", '/'), "/out/");
  EXPECT_EQ(IncludeTrailingChar("/out/", '/'), "/out/");
  EXPECT_EQ(IncludeTrailingChar("", '/'), "/");
}

TEST(SourceFolderOf, KeepsOneSeparatorAtTheRoot) {
  EXPECT_EQ(SourceFolderOf("/photos/a.jpg"), "/photos/");
  EXPECT_EQ(SourceFolderOf("/a.jpg"), "/");
  EXPECT_EQ(SourceFolderOf("a.jpg"), "./");
}

TEST(EqualsIgnoringCase, FoldsAsciiLettersOnly) {
  EXPECT_TRUE(EqualsIgnoringCase(".Jpg", ".jpg"));
  EXPECT_FALSE(EqualsIgnoringCase(".jpe", ".jpg"));
  EXPECT_FALSE(EqualsIgnoringCase(".jpgx", ".jpg"));
}

}  // namespace
}  // namespace plendo::engine
