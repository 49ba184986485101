// The window's support pieces: the colour box's extra entry and chooser, the worker runner's
// reports and per-run stop, picture conversion and mnemonic stripping.
#include <gtest/gtest.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QPushButton>
#include <QWidget>
#include <atomic>
#include <memory>
#include <thread>

#include "AppFixture.h"
#include "core/Error.h"
#include "pages/Controls.h"
#include "support/ColourBox.h"
#include "support/PictureImage.h"
#include "support/ScriptedPrompts.h"
#include "support/StandardIcon.h"
#include "support/WorkerRunner.h"

namespace qg::app::test {
namespace {

class SupportTest : public ::testing::Test {
 protected:
  void SetUp() override { EnsureApp(); }
};

TEST_F(SupportTest, ColourBoxShowsAColourOutsideItsListAsOneExtraEntry) {
  ScriptedPrompts prompts;
  ColourBox box(prompts);
  const int listed = box.count();
  box.setColour(0xC0C0C0);
  EXPECT_EQ(box.currentText(), QStringLiteral("Silver"));
  EXPECT_EQ(box.count(), listed);
  box.setColour(0x123456);  // red 0x56, green 0x34, blue 0x12
  EXPECT_EQ(box.currentText(), QStringLiteral("#563412"));
  EXPECT_EQ(box.colour(), 0x123456);
  EXPECT_EQ(box.count(), listed + 1);
  box.setColour(0x654321);  // the extra entry is reused
  EXPECT_EQ(box.count(), listed + 1);
  EXPECT_EQ(box.colour(), 0x654321);
  box.setColour(0);
  EXPECT_EQ(box.currentText(), QStringLiteral("Black"));
}

TEST_F(SupportTest, ColourBoxCustomEntryAsksTheChooser) {
  ScriptedPrompts prompts;
  ColourBox box(prompts);
  box.setColour(0xFFFFFF);
  int changed = 0;
  QObject::connect(&box, &ColourBox::colourChanged, [&] { ++changed; });
  const int custom = box.count() - 1;
  emit box.activated(custom);  // cancelled: back to white, nothing reported
  EXPECT_EQ(box.colour(), 0xFFFFFF);
  EXPECT_EQ(box.currentText(), QStringLiteral("White"));
  EXPECT_EQ(changed, 0);
  prompts.colours.push_back(QColor(1, 2, 3));
  emit box.activated(box.count() - 1);
  EXPECT_EQ(box.colour(), 0x030201);
  ASSERT_EQ(changed, 1);
  EXPECT_EQ(prompts.texts("chooseColour").size(), 2);
}

bool WaitFor(const std::function<bool()>& done) {
  QElapsedTimer t;
  t.start();
  while (!done() && t.elapsed() < 10000) QApplication::processEvents(QEventLoop::AllEvents, 20);
  return done();
}

TEST_F(SupportTest, WorkerReportsInOrderAndEndsWithTheErrorText) {
  WorkerRunner runner;
  QStringList seen;
  QString error = QStringLiteral("(none)");
  QObject::connect(&runner, &WorkerRunner::phase, [&](const QString& t) { seen << t; });
  QObject::connect(&runner, &WorkerRunner::progress, [&](qulonglong p, qulonglong m) {
    seen << QStringLiteral("%1/%2").arg(p).arg(m);
  });
  QObject::connect(&runner, &WorkerRunner::finished, [&](const QString& e) { error = e; });
  ASSERT_TRUE(runner.start([](const qg::StopToken&, qg::WorkReporter& r) {
    r.Phase("Creating thumb a.jpg");
    r.Progress(0, 1);
    throw qg::Error("Unable to write to /x/a.jpg");
  }));
  EXPECT_FALSE(runner.start([](const qg::StopToken&, qg::WorkReporter&) {}));  // one at a time
  ASSERT_TRUE(WaitFor([&] { return !runner.running(); }));
  EXPECT_EQ(seen, (QStringList{"Creating thumb a.jpg", "0/1"}));
  EXPECT_EQ(error, QStringLiteral("Unable to write to /x/a.jpg"));
}

TEST_F(SupportTest, StopReachesOnlyTheRunningWork) {
  WorkerRunner runner;
  std::atomic<bool> sawStop{false};
  ASSERT_TRUE(runner.start([&](const qg::StopToken& stop, qg::WorkReporter&) {
    while (!stop.StopRequested()) std::this_thread::yield();
    sawStop = true;
  }));
  runner.stop();
  ASSERT_TRUE(WaitFor([&] { return !runner.running(); }));
  EXPECT_TRUE(sawStop);
  // The next run starts with a fresh token.
  bool stoppedAtStart = true;
  ASSERT_TRUE(runner.start([&](const qg::StopToken& stop, qg::WorkReporter&) {
    stoppedAtStart = stop.StopRequested();
  }));
  ASSERT_TRUE(WaitFor([&] { return !runner.running(); }));
  EXPECT_FALSE(stoppedAtStart);
}

TEST_F(SupportTest, PictureToImageKeepsEveryPixel) {
  qg::Picture p(3, 2);
  p.at(2, 1)[0] = 10;
  p.at(2, 1)[1] = 20;
  p.at(2, 1)[2] = 30;
  const QImage image = ToQImage(p);
  ASSERT_EQ(image.size(), QSize(3, 2));
  EXPECT_EQ(image.pixelColor(2, 1), QColor(10, 20, 30));
  EXPECT_EQ(image.pixelColor(0, 0), QColor(Qt::white));
  EXPECT_TRUE(ToQImage(qg::Picture()).isNull());
}

TEST_F(SupportTest, AccessibleNamesDropTheMnemonic) {
  EXPECT_EQ(WithoutMnemonic(QStringLiteral("Save Project &As...")),
            QStringLiteral("Save Project As..."));
  EXPECT_EQ(WithoutMnemonic(QStringLiteral("Rows && Cols:")), QStringLiteral("Rows & Cols:"));
  EXPECT_EQ(WithoutMnemonic(QStringLiteral("< &Previous")), QStringLiteral("< Previous"));
}

TEST_F(SupportTest, IconsArriveAfterAPaintAndNeverForAGoneButton) {
  QWidget window;
  auto* kept = new QPushButton(QStringLiteral("Kept"), &window);
  auto gone = std::make_unique<QPushButton>(QStringLiteral("Gone"));
  const qint64 clearKey = [&] {
    SetStandardIconLater(kept, QStyle::SP_ArrowUp);
    return kept->icon().cacheKey();
  }();
  SetStandardIconLater(gone.get(), QStyle::SP_ArrowDown);
  EXPECT_EQ(kept->icon().actualSize(QSize(64, 64)), QSize(16, 16));  // the clear stand-in
  bool ran = false;
  AfterFirstPaint(gone.get(), [&] { ran = true; });
  gone.reset();
  window.show();
  window.repaint();
  QElapsedTimer waited;
  waited.start();
  while (kept->icon().cacheKey() == clearKey && waited.elapsed() < 5000)
    QApplication::processEvents();
  EXPECT_NE(kept->icon().cacheKey(), clearKey);
  QApplication::processEvents();
  EXPECT_FALSE(ran);
}

}  // namespace
}  // namespace qg::app::test
