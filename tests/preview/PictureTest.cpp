#include <gtest/gtest.h>

#include "codecs/JpegError.h"
#include "preview/BitmapImage.h"
#include "preview/GifImage.h"
#include "preview/IconImage.h"
#include "preview/JpegImage.h"
#include "preview/Metafile.h"
#include "preview/Picture.h"
#include "support/TempDir.h"
#include "preview/JpegSamples.h"

namespace plendo::preview {
namespace {

struct Lookup {
  const char* query;
  TGraphicClass expected;
  friend void PrintTo(const Lookup& l, std::ostream* os) { *os << '"' << l.query << '"'; }
};

class FileFormatsLookup : public testing::TestWithParam<Lookup> {};

TEST_P(FileFormatsLookup, IgnoresLetterCase) {
  const auto found = FileFormats().FindExt(GetParam().query);
  if (GetParam().expected == nullptr) {
    EXPECT_FALSE(found.has_value()) << GetParam().query;
  } else {
    ASSERT_TRUE(found.has_value()) << GetParam().query;
    EXPECT_EQ(*found, GetParam().expected) << GetParam().query;
  }
}

INSTANTIATE_TEST_SUITE_P(
    Registered, FileFormatsLookup,
    testing::Values(Lookup{"jpg", GraphicClassOf<TJPEGImage>}, Lookup{"JPG", GraphicClassOf<TJPEGImage>},
                    Lookup{"Jpeg", GraphicClassOf<TJPEGImage>}, Lookup{"jPeG", GraphicClassOf<TJPEGImage>},
                    Lookup{"bmp", GraphicClassOf<TBitmap>}, Lookup{"BMP", GraphicClassOf<TBitmap>},
                    Lookup{"Ico", GraphicClassOf<TIcon>}, Lookup{"wMf", GraphicClassOf<TMetafile>},
                    Lookup{"EMF", GraphicClassOf<TMetafile>}, Lookup{"GiF", GraphicClassOf<TGIFImage>},
                    Lookup{"tif", nullptr},
                    Lookup{"TIFF", nullptr}, Lookup{"", nullptr}, Lookup{".jpg", nullptr},
                    Lookup{"jpg ", nullptr}),
    [](const testing::TestParamInfo<Lookup>& info) { return "Case" + std::to_string(info.index); });

TEST(FileFormats, RegistrationIsLowerCasedAndTheLastEntryWins) {
  TFileFormatsList formats;
  formats.RegisterFileFormat("GIF", "GIF Image", GraphicClassOf<TMetafile>);
  EXPECT_EQ(formats.Entries().back().extension, "gif");
  EXPECT_EQ(formats.FindExt("Gif"), GraphicClassOf<TMetafile>);

  formats.RegisterFileFormat("BMP", "again", GraphicClassOf<TJPEGImage>);
  EXPECT_EQ(formats.FindExt("bmp"), GraphicClassOf<TJPEGImage>);
}

TEST(FileFormats, ProgramRegistryHoldsTheFormatsInStartUpOrder) {
  std::vector<std::string> order;
  for (const auto& entry : FileFormats().Entries()) order.push_back(entry.extension);
  EXPECT_EQ(order, (std::vector<std::string>{"wmf", "emf", "ico", "bmp", "jpeg", "jpg", "gif", "png", "heic", "heif",
                                             "avif", "webp", "jxl"}));
}

struct UnknownName {
  const char* name;
  const char* shown;  // the extension as the message shows it
  friend void PrintTo(const UnknownName& u, std::ostream* os) { *os << u.name; }
};

class UnknownExtension : public testing::TestWithParam<UnknownName> {};

TEST_P(UnknownExtension, NamesTheExtensionAsWritten) {
  TPicture picture;
  try {
    picture.LoadFromFile(std::filesystem::path("/no/such/folder") / GetParam().name);
    FAIL() << "loaded " << GetParam().name;
  } catch (const EInvalidGraphic& e) {
    EXPECT_EQ(e.Message(),
              std::string("拡張子 .") + GetParam().shown + " の画像形式は処理できません");
  }
}

INSTANTIATE_TEST_SUITE_P(Names, UnknownExtension,
                         testing::Values(UnknownName{"scan.tif", "tif"},
                                         UnknownName{"scan.TIFF", "TIFF"},
                                         UnknownName{"README", ""},
                                         UnknownName{"archive.png.bak", "bak"},
                                         UnknownName{"trailing.", ""},
                                         UnknownName{"写真.ＪＰＧ", "ＪＰＧ"}),
                         [](const testing::TestParamInfo<UnknownName>& info) {
                           return "Name" + std::to_string(info.index);
                         });

TEST(Picture, DotInAFolderNameIsNoExtension) {
  EXPECT_EQ(FileExtensionOf("/photos.jpg/scan"), "");
  EXPECT_EQ(FileExtensionOf("/photos/.hidden"), "hidden");
}

class PictureLoad : public testing::Test {
 protected:
  void SetUp() override {
    test::WriteFile(dir_ / "good.jpg", test::SolidJpeg(40, 30, {255, 0, 0, 255}));
    picture_.SetOnChange([this] { ++changes_; });
    picture_.LoadFromFile(dir_ / "good.jpg");
    ASSERT_NE(picture_.Graphic(), nullptr);
    changes_ = 0;
  }

  void ExpectPreviousKept(const std::filesystem::path& path) {
    TGraphic* before = picture_.Graphic();
    EXPECT_ANY_THROW(picture_.LoadFromFile(path)) << path;
    EXPECT_EQ(picture_.Graphic(), before) << path;
    EXPECT_EQ(picture_.Width(), 40);
    EXPECT_EQ(changes_, 0) << path;
  }

  test::TempDir dir_;
  TPicture picture_;
  int changes_ = 0;
};

TEST_F(PictureLoad, FailedLoadKeepsThePreviousGraphic) {
  test::WriteFile(dir_ / "png.jpg", {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A});
  std::filesystem::create_directory(dir_ / "folder.jpg");
  test::WriteFile(dir_ / "drawing.wmf", {0xD7, 0xCD, 0xC6, 0x9A});
  test::WriteFile(dir_ / "empty.bmp", {});
  for (const char* name : {"png.jpg", "missing.jpg", "folder.jpg", "scan.tif", "drawing.wmf",
                           "empty.bmp"})
    ExpectPreviousKept(dir_ / name);
}

TEST_F(PictureLoad, OpenErrorsAndMetafilesHaveTheirOwnClasses) {
  std::filesystem::create_directory(dir_ / "folder.jpg");
  test::WriteFile(dir_ / "drawing.emf", {1, 0, 0, 0});
  EXPECT_THROW(picture_.LoadFromFile(dir_ / "missing.jpg"), EFOpenError);
  EXPECT_THROW(picture_.LoadFromFile(dir_ / "folder.jpg"), EFOpenError);
  EXPECT_THROW(picture_.LoadFromFile(dir_ / "drawing.emf"), EInvalidGraphic);
}

TEST_F(PictureLoad, LoadReplacesAndClearFrees) {
  test::WriteFile(dir_ / "next.JPEG", test::SolidJpeg(16, 20, {0, 0, 255, 255}));
  picture_.LoadFromFile(dir_ / "next.JPEG");
  EXPECT_EQ(picture_.Width(), 16);
  EXPECT_EQ(picture_.Height(), 20);
  EXPECT_EQ(changes_, 1);

  picture_.Clear();
  EXPECT_EQ(picture_.Graphic(), nullptr);
  EXPECT_TRUE(picture_.Empty());
  EXPECT_EQ(changes_, 2);
}

}  // namespace
}  // namespace plendo::preview
