// Whole batches through the real panel: a synthesised drop of files, the
// batch queued behind it, files written, the count shown.
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QGroupBox>
#include <QMimeData>
#include <QPushButton>
#include <QUrl>

#include "PanelFixture.h"
#include "ReadLampWatch.h"
#include "controls/TStatusLED.h"
#include "engine/ResizeEngine.h"
#include "imaging/Graphics.h"
#include "support/TestFiles.h"
#include "support/TestImages.h"
#include "support/TestNames.h"

namespace plendo::test {
namespace {

const auto* const kQt = ::testing::AddGlobalTestEnvironment(new QtTestApp);

std::unique_ptr<QMimeData> UrlsOf(const std::vector<std::filesystem::path>& paths) {
  auto mime = std::make_unique<QMimeData>();
  QList<QUrl> urls;
  // As a file manager sends them: the name's bytes, percent-encoded.
  for (const auto& p : paths) urls << QUrl::fromEncoded("file://" + QByteArray(p.c_str()).toPercentEncoding("/"));
  mime->setUrls(urls);
  return mime;
}

class DropTest : public PanelFixture {
 protected:
  void SetUp() override {
    PanelFixture::SetUp();
    std::filesystem::create_directory(in());
    std::filesystem::create_directory(out());
  }
  std::filesystem::path in() const { return dir / "in"; }
  std::filesystem::path out() const { return dir / "out"; }

  app::TMFORM& OpenWithOutput(const std::string& extra = "") {
    WriteEnv("[Status]\nWOPath=" + out().string() + "\n" + extra);
    app::TMFORM& f = Open();
    Type("100");
    f.show();
    return f;
  }

  std::filesystem::path Source(const std::string& name, const Bytes& bytes) {
    const auto path = in() / name;
    WriteFile(path, bytes);
    return path;
  }
  static Bytes Jpeg() { return WriteJpeg(MakeGradient(200, 100)); }

  // Drops `items` on the panel the way a file manager does and waits for the
  // batch to end.
  bool Drop(const std::vector<std::filesystem::path>& items) {
    auto mime = UrlsOf(items);
    QDragEnterEvent enter(QPoint(50, 50), Qt::CopyAction, mime.get(), Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(form.get(), &enter);
    if (!enter.isAccepted()) return false;
    QDropEvent drop(QPointF(50, 50), Qt::CopyAction, mime.get(), Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(form.get(), &drop);
    const bool accepted = drop.isAccepted();
    WaitForBatch();
    return accepted;
  }

  std::vector<std::string> Written() const {
    std::vector<std::string> names;
    for (const auto& e : std::filesystem::directory_iterator(out()))
      names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
  }
  std::string Count() const { return form->SSize->text().toStdString(); }
};

TEST_F(DropTest, SeveralFormatsAreWrittenAndCounted) {
  OpenWithOutput();
  const std::vector<std::filesystem::path> items = {
      Source("a.jpg", Jpeg()),
      Source("b.png", WritePng(MakeGradient(100, 200, true))),
      Source("c.gif", WriteGif(MakePatches(200, 100))),
      Source("d.bmp", WriteBmp(MakeGradient(200, 100))),
      Source("e.tif", WriteTiff(MakeGradient(200, 100))),
      Source("notes.txt", Bytes{'h', 'i'}),
  };
  ASSERT_TRUE(Drop(items));
  EXPECT_EQ(Written(), (std::vector<std::string>{"a_w100.jpg", "b_v100.jpg", "c_w100.jpg",
                                                 "d_w100.jpg", "e_w100.jpg"}));
  EXPECT_EQ(Count(), "出力済 5 枚");
  EXPECT_EQ(form->btTERM->text().toStdString(), "終了");
  EXPECT_TRUE(form->btWOUT->isEnabled());
  EXPECT_TRUE(form->GSizeBox->isEnabled());
  const imaging::TGPBitmap a(out() / "a_w100.jpg");
  EXPECT_EQ(a.GetWidth(), 100u);
  EXPECT_EQ(a.GetHeight(), 50u);
  const imaging::TGPBitmap b(out() / "b_v100.jpg");
  EXPECT_EQ(b.GetWidth(), 50u);
  EXPECT_EQ(b.GetHeight(), 100u);
  // The sources are untouched.
  EXPECT_EQ(std::filesystem::file_size(in() / "notes.txt"), 2u);
}

TEST_F(DropTest, UnprocessableFileIsReportedAndTheBatchGoesOn) {
  OpenWithOutput();
  const auto bad = Source("bad.jpg", Bytes{'n', 'o', 'p', 'e'});
  const auto good = Source("good.jpg", Jpeg());
  ASSERT_TRUE(Drop({bad, in(), good}));
  EXPECT_EQ(Written(), (std::vector<std::string>{"good_w100.jpg"}));
  EXPECT_EQ(Count(), "出力済 1 枚");
}

class FolderDropTest : public DropTest, public ::testing::WithParamInterface<bool> {};

// trip/a.jpg and trip/day1/b.jpg dropped as trip.
TEST_P(FolderDropTest, AFolderConvertsItsTreeOnlyWhenAskedTo) {
  const bool folders = GetParam();
  OpenWithOutput(folders ? "[Option]\nFolderDrop=1\n" : "");
  std::filesystem::create_directories(in() / "trip" / "day1");
  Source("trip/a.jpg", Jpeg());
  Source("trip/day1/b.jpg", Jpeg());
  ASSERT_TRUE(Drop({in() / "trip"}));
  if (folders) {
    EXPECT_EQ(TreeListing(out()), (std::vector<std::string>{"a_w100.jpg", "day1/b_w100.jpg"}));
    EXPECT_EQ(Count(), "出力済 2 枚");
  } else {
    EXPECT_EQ(TreeListing(out()), std::vector<std::string>{});
    EXPECT_EQ(Message(), "このファイルは\n処理不能です (^_^;)");
  }
}

INSTANTIATE_TEST_SUITE_P(FolderDrop, FolderDropTest, ::testing::Bool(), PrintedName());

TEST_F(DropTest, NamesThatAreNotUtf8KeepTheirBytes) {
  OpenWithOutput();
  ASSERT_TRUE(Drop({Source("caf\xE9 \xFF.jpg", Jpeg())}));
  EXPECT_EQ(Written(), (std::vector<std::string>{"caf\xE9 \xFF_w100.jpg"}));
  EXPECT_EQ(Count(), "出力済 1 枚");
}

TEST_F(DropTest, TypeFilterTakesOnlyTheChosenType) {
  OpenWithOutput("XQTMode=1\nXQTExt=1\n");
  ASSERT_EQ(form->Settings().XQTMode, 1);
  std::vector<std::filesystem::path> items;
  for (const char* name : {"PHOTO.JPG", "a.jpeg", "b.Jpg", "c.jpe", "noext", "x.tar.jpg"})
    items.push_back(Source(name, Jpeg()));
  QtTestApp::beeps = 0;
  ASSERT_TRUE(Drop(items));
  EXPECT_EQ(Written(), (std::vector<std::string>{"PHOTO_w100.jpg", "a_w100.jpg", "b_w100.jpg",
                                                 "x.tar_w100.jpg"}));
  EXPECT_EQ(Count(), "出力済 4 枚");
}

TEST_F(DropTest, EndButtonDuringTheThirdOfTenStopsAfterIt) {
  app::TMFORM& f = OpenWithOutput();
  std::vector<std::filesystem::path> items;
  for (int i = 0; i < 10; ++i) items.push_back(Source("p" + std::to_string(i) + ".jpg", Jpeg()));
  bool secondDropRefused = false;
  ReadLampWatch watch(f.RLED, [&](int start) {
    if (start != 3) return;
    // The user clicks while the third file is being converted; the click
    // waits for the batch to let messages run.
    QMetaObject::invokeMethod(f.btTERM, &QPushButton::click, Qt::QueuedConnection);
    auto mime = UrlsOf({items[0]});
    QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, mime.get(), Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&f, &enter);
    secondDropRefused = !enter.isAccepted();
    EXPECT_EQ(f.btTERM->text().toStdString(), "中断");
  });
  QtTestApp::beeps = 0;
  ASSERT_TRUE(Drop(items));
  EXPECT_TRUE(secondDropRefused);
  EXPECT_EQ(Written(), (std::vector<std::string>{"p0_w100.jpg", "p1_w100.jpg", "p2_w100.jpg"}));
  EXPECT_EQ(Count(), "出力済 3 枚");
  EXPECT_EQ(f.btTERM->text().toStdString(), "終了");
  EXPECT_TRUE(f.isVisible());  // stopping does not end the program
  EXPECT_EQ(Beeps(), 1);
}

TEST_F(DropTest, ClosingTheWindowDuringABatchStopsItThenCloses) {
  app::TMFORM& f = OpenWithOutput();
  std::vector<std::filesystem::path> items;
  for (int i = 0; i < 5; ++i) items.push_back(Source("p" + std::to_string(i) + ".jpg", Jpeg()));
  bool closedAtOnce = true;
  ReadLampWatch watch(f.RLED, [&](int start) {
    if (start == 2) closedAtOnce = f.close();
  });
  ASSERT_TRUE(Drop(items));
  EXPECT_FALSE(closedAtOnce);  // not under the running batch
  EXPECT_EQ(Written().size(), 2u);
  EXPECT_FALSE(f.isVisible());
}

TEST_F(DropTest, EverySkippedFileEndsWithZero) {
  OpenWithOutput("[Option]\nOverWrite=0\n");
  const auto a = Source("a.jpg", Jpeg());
  const auto b = Source("b.jpg", Jpeg());
  ASSERT_TRUE(Drop({a, b}));
  ASSERT_EQ(Count(), "出力済 2 枚");
  ASSERT_TRUE(Drop({a, b}));
  EXPECT_EQ(Count(), "出力済 0 枚");
}

TEST_F(DropTest, NoFolderConvertsNothing) {
  app::TMFORM& f = Open();
  Type("100");
  f.show();
  f.SetSizeCaption("before");
  QtTestApp::beeps = 0;
  Drop({Source("a.jpg", Jpeg())});
  EXPECT_EQ(Message(), app::kMsgNoFolder);
  EXPECT_EQ(MessageColour(), kRed);
  EXPECT_GE(Beeps(), 1);
  EXPECT_TRUE(Written().empty());
  EXPECT_EQ(Count(), "before");
}

TEST_F(DropTest, DeletedFolderConvertsNothing) {
  OpenWithOutput();
  form->SetSizeCaption("before");
  std::filesystem::remove(out());
  QtTestApp::beeps = 0;
  Drop({Source("a.jpg", Jpeg())});
  EXPECT_EQ(Message(), "出力先フォルダが\n存在しません！");
  EXPECT_EQ(MessageColour(), kRed);
  EXPECT_EQ(Beeps(), 1);
  EXPECT_FALSE(std::filesystem::exists(out()));
  EXPECT_EQ(Count(), "before");
}

TEST_F(DropTest, NonLocalUrlsAreNotTaken) {
  OpenWithOutput();
  QMimeData mime;
  mime.setUrls({QUrl("https://example.invalid/a.jpg")});
  QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
  QCoreApplication::sendEvent(form.get(), &enter);
  EXPECT_FALSE(enter.isAccepted());
}

}  // namespace
}  // namespace plendo::test
