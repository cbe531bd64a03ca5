#include "controls/TStatusLED.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QEvent>
#include <QImage>
#include <memory>

#include "controls/LampShape.h"

namespace plendo::controls {
namespace {

// The application object lives from before the first test to after the last,
// and is gone before static destruction begins.
class QtEnvironment : public ::testing::Environment {
 public:
  void SetUp() override { app_ = std::make_unique<QApplication>(argc_, argv_); }
  void TearDown() override { app_.reset(); }

 private:
  int argc_ = 1;
  char name_[16] = "controls_test";
  char* argv_[2] = {name_, nullptr};
  std::unique_ptr<QApplication> app_;
};
const auto* const kQtEnvironment = ::testing::AddGlobalTestEnvironment(new QtEnvironment);

class PaintCounter : public QObject {
 public:
  int paints = 0;
  bool eventFilter(QObject*, QEvent* e) override {
    if (e->type() == QEvent::Paint) ++paints;
    return false;
  }
};

int MinX(const auto& pts) { int m = 1 << 30; for (auto p : pts) m = std::min(m, p.x); return m; }
int MaxX(const auto& pts) { int m = -1; for (auto p : pts) m = std::max(m, p.x); return m; }
int MinY(const auto& pts) { int m = 1 << 30; for (auto p : pts) m = std::min(m, p.y); return m; }
int MaxY(const auto& pts) { int m = -1; for (auto p : pts) m = std::max(m, p.y); return m; }

TEST(LampShapeTest, PanelLampIsAHorizontalBodyWithPointedEnds) {
  const LampShape s = LampShapeFor(22, 13);
  EXPECT_TRUE(s.horizontal);
  EXPECT_EQ(MinX(s.body), 0);
  EXPECT_EQ(MaxX(s.body), 21);
  EXPECT_EQ(MinY(s.body), 3);
  EXPECT_EQ(MaxY(s.body), 12);
  // h = 6, e = 16: the left tip at (0, 8), the right tip at (21, 7).
  EXPECT_EQ(s.body[0], (LampPoint{0, 8}));
  EXPECT_EQ(s.body[3], (LampPoint{21, 7}));
  EXPECT_EQ(s.glint[0], (LampPoint{4, 10}));
  EXPECT_EQ(s.glint[1], (LampPoint{0, 6}));
}

TEST(LampShapeTest, EveryPointStaysInsideTheControl) {
  for (int w = 8; w <= 40; ++w) {
    for (int h = 8; h <= 40; ++h) {
      const LampShape s = LampShapeFor(w, h);
      for (const auto& pts : {std::vector<LampPoint>(s.body.begin(), s.body.end()),
                              std::vector<LampPoint>(s.highlight.begin(), s.highlight.end())}) {
        EXPECT_GE(MinX(pts), 0) << w << "x" << h;
        EXPECT_LT(MaxX(pts), w) << w << "x" << h;
        EXPECT_GE(MinY(pts), 0) << w << "x" << h;
        EXPECT_LT(MaxY(pts), h) << w << "x" << h;
      }
    }
  }
}

TEST(LampShapeTest, SquareLampLiesAndTallLampStands) {
  EXPECT_TRUE(LampShapeFor(13, 13).horizontal);
  const LampShape tall = LampShapeFor(13, 22);
  EXPECT_FALSE(tall.horizontal);
  // Pointed at top and bottom: one vertex on the top edge, one on the bottom.
  EXPECT_EQ(tall.body[0].y, 0);
  EXPECT_EQ(tall.body[3].y, 21);
  EXPECT_EQ(MinY(tall.body), 0);
  EXPECT_EQ(MaxY(tall.body), 21);
}

class TStatusLEDTest : public ::testing::Test {
 protected:
  void SetUp() override {
    lamp.resize(22, 13);
    lamp.show();
    QApplication::processEvents();
    lamp.installEventFilter(&counter);
  }
  QColor Centre() { return lamp.grab().toImage().pixelColor(11, 7); }
  TStatusLED lamp;
  PaintCounter counter;
};

TEST_F(TStatusLEDTest, DefaultsToOffAndLime) {
  TStatusLED fresh;
  EXPECT_FALSE(fresh.Status());
  EXPECT_EQ(fresh.Color(), QColor(0, 255, 0));
  EXPECT_EQ(fresh.size(), QSize(24, 13));
}

TEST_F(TStatusLEDTest, RepaintsAtOnceOnlyOnARealChange) {
  lamp.LightOn();
  EXPECT_EQ(counter.paints, 1);
  lamp.SetStatus(true);
  EXPECT_EQ(counter.paints, 1);
  lamp.SetColor(QColor(0, 255, 0));
  EXPECT_EQ(counter.paints, 1);
  lamp.SetColor(Qt::red);
  EXPECT_EQ(counter.paints, 2);
  lamp.LightOff();
  EXPECT_EQ(counter.paints, 3);
}

TEST_F(TStatusLEDTest, BodyIsGrayWhenOffWhateverTheColour) {
  lamp.SetColor(QColor(255, 255, 0));
  EXPECT_EQ(Centre(), QColor(128, 128, 128));
  lamp.LightOn();
  EXPECT_EQ(Centre(), QColor(255, 255, 0));
}

}  // namespace
}  // namespace plendo::controls
