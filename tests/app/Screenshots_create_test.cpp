// Pictures of the Create Gallery step before, during and after a build (only when
// QG_SCREENSHOT_DIR is set).
#include <QApplication>
#include <QDir>
#include <QLineEdit>
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <thread>

#include "MainWindowFixture.h"
#include "pages/PicturesPage.h"

namespace qg::app::test {
namespace {

enum class State { Idle, MidBuild, Done };

class CreateShots : public MainWindowTest {
 public:
  CreateShots() { SetUp(); }
  void TestBody() override {}

  void shoot(State state, const char* name) {
    const char* folder = std::getenv("QG_SCREENSHOT_DIR");
    QDir().mkpath(QString::fromLocal8Bit(folder));
    MainWindow& w = open();
    w.preferences().blHintViewGalleryNow = false;
    std::vector<std::string> paths;
    for (const char* file : {"Harbour at dawn.jpg", "Lighthouse.jpg", "Old town square.jpg",
                             "Market.jpg", "Bridge.jpg"})
      paths.push_back(jpeg(file, 320, 240));
    w.picturesPage()->addPictures(paths);
    find<QLineEdit>("editDestFolder")->setText(ToQ(dir.file("gallery")));
    w.show();
    w.ShowStep(3);

    std::atomic<bool> reached{false}, released{false};
    qg::PictureTools tools = qg::PictureTools::Standard();
    auto resample = tools.resample;
    tools.resample = [&, resample](const std::string& path,
                                   const std::vector<qg::TargetSize>& sizes) {
      if (std::filesystem::path(path).filename() == "Market.jpg") {
        reached = true;
        while (!released) std::this_thread::sleep_for(std::chrono::milliseconds(2));
      }
      return resample(path, sizes);
    };
    w.setBuildTools(tools, 1);
    prompts.answers = {Answer::No};  // the view question
    if (state != State::Idle) w.btnCreatePagesClick();
    const auto settle = [&](const std::function<bool()>& until) {
      const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(20);
      while (!until() && std::chrono::steady_clock::now() < end)
        QApplication::processEvents(QEventLoop::AllEvents, 20);
    };
    if (state == State::MidBuild) settle([&] { return reached.load(); });
    released = state == State::Done;
    if (state == State::Done) settle([&] { return !w.building(); });
    for (int i = 0; i < 5; ++i) QApplication::processEvents();  // the icons, after the first paint
    const QString file = QString::fromLocal8Bit(folder) + QStringLiteral("/MainWindow_") +
                         QString::fromLatin1(name) + QStringLiteral(".png");
    EXPECT_TRUE(w.grab().save(file)) << file.toStdString();
    released = true;
    settle([&] { return !w.building(); });
  }
};

void Shoot(State state, const char* name) {
  if (!std::getenv("QG_SCREENSHOT_DIR")) GTEST_SKIP() << "QG_SCREENSHOT_DIR is not set";
  CreateShots().shoot(state, name);
}

TEST(Screenshots, CreatePage_Idle) { Shoot(State::Idle, "CreatePage_Idle"); }
TEST(Screenshots, CreatePage_MidBuild) { Shoot(State::MidBuild, "CreatePage_MidBuild"); }
TEST(Screenshots, CreatePage_Done) { Shoot(State::Done, "CreatePage_Done"); }

}  // namespace
}  // namespace qg::app::test
