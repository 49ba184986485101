// The program's main window for the benchmarks.
//   bench_gui_window start            starts as quillon-gallery does; prints the time of the first
//                                     paint and ends there
//   bench_gui_window add PICTURE...   adds the pictures through the window's Add (the chooser
//                                     answered by a script) and prints the Add's milliseconds
//   bench_gui_window build PROJECT DEST JOBS
//                                     opens PROJECT, builds it into DEST with JOBS workers from
//                                     the create page and prints "<ms> <longest stall ms>"
//   bench_gui_window upload PROJECT DEST
//                                     builds PROJECT into DEST (not timed), then uploads it with
//                                     the stored FTP settings from the upload page and prints
//                                     "<ms> <longest stall ms>"
//   bench_gui_window details PICTURE  opens the details window on PICTURE and prints
//                                     "<ms to the camera data> <ms to the shown picture>"
// The longest stall is the longest gap between the ticks of a 10 ms timer while the work ran:
// how long the window could not answer the user at worst.
#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>

#include "FirstPaint.h"
#include "MainWindow.h"
#include "dialogs/ImageDetailsWindow.h"
#include "project/Settings.h"
#include "support/ScriptedPrompts.h"

namespace {

// Runs the event loop until `done` holds (looked at every tick) and returns the longest gap
// between the ticks of a 10 ms timer meanwhile.
qint64 LongestStallUntil(const std::function<bool()>& done) {
  QElapsedTimer sinceTick;
  qint64 longest = 0;
  QEventLoop loop;
  QTimer ticker;
  ticker.setTimerType(Qt::PreciseTimer);
  QObject::connect(&ticker, &QTimer::timeout, [&] {
    longest = std::max(longest, sinceTick.restart());
    if (done()) loop.quit();
  });
  sinceTick.start();
  ticker.start(10);
  if (!done()) loop.exec();
  return longest;
}

bool ReportErrors(const qg::app::ScriptedPrompts& prompts) {
  if (prompts.texts("showError").isEmpty()) return false;
  std::fprintf(stderr, "%s\n", prompts.texts("showError").front().toLocal8Bit().constData());
  return true;
}

// Builds the window's project into `dest` from the create page; the milliseconds and the
// longest stall.
std::pair<qint64, qint64> BuildFromWindow(qg::app::MainWindow& window, const char* dest,
                                          unsigned jobs) {
  window.project().options.editDestFolder = dest;
  window.setBuildTools(qg::PictureTools::Standard(), jobs);
  QElapsedTimer timer;
  timer.start();
  window.btnCreatePagesClick();
  const qint64 stall = LongestStallUntil([&] { return !window.building(); });
  return {timer.elapsed(), stall};
}

// QG_BENCH_FTP="HOST USER PASSWORD FOLDER": the FTP server of the upload, stored in the
// preferences before the window reads them (the command line's run that follows reads them too).
bool StoreBenchServer() {
  const QStringList ftp = qEnvironmentVariable("QG_BENCH_FTP").split(' ');
  if (ftp.size() != 4) return true;
  qg::Preferences prefs;
  qg::LoadSettings(prefs);
  prefs.blUseCorvaneServer = false;
  prefs.sFTPHost = ftp[0].toStdString();
  prefs.sFTPUser = ftp[1].toStdString();
  prefs.sFTPPass = ftp[2].toStdString();
  prefs.sFTPFolder = ftp[3].toStdString();
  return qg::SaveSettings(prefs);
}

int RunDetails(const char* picture) {
  qg::app::ScriptedPrompts prompts;
  QElapsedTimer timer;
  timer.start();
  qg::app::ImageDetailsWindow details(prompts, picture, {});
  details.LoadCameraData();
  const qint64 dataMs = timer.elapsed();
  details.show();
  details.loadPicture();
  LongestStallUntil([&] { return details.hasPicture() || ReportErrors(prompts); });
  std::printf("%lld %lld\n", static_cast<long long>(dataMs),
              static_cast<long long>(timer.elapsed()));
  return details.hasPicture() ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr,
                 "usage: bench_gui_window start | add PICTURE... | build PROJECT DEST JOBS |"
                 " upload PROJECT DEST | details PICTURE\n");
    return 2;
  }
  QElapsedTimer phases;
  phases.start();
  QApplication app(argc, argv);
  const qint64 appMs = phases.restart();
  if (std::strcmp(argv[1], "details") == 0 && argc == 3) return RunDetails(argv[2]);
  if (!StoreBenchServer()) return 1;
  qg::app::ScriptedPrompts prompts;
  const bool project = (std::strcmp(argv[1], "build") == 0 && argc == 5) ||
                       (std::strcmp(argv[1], "upload") == 0 && argc == 4);
  qg::app::MainWindow window(
      prompts, project ? QStringList{QString::fromLocal8Bit(argv[2])} : QStringList{});
  if (qEnvironmentVariableIsSet("QG_BENCH_VERBOSE"))
    std::fprintf(stderr, "application %lld ms, main window %lld ms\n",
                 static_cast<long long>(appMs), static_cast<long long>(phases.elapsed()));
  if (std::strcmp(argv[1], "start") == 0) {
    ExitOnFirstPaint quit;
    window.installEventFilter(&quit);
    phases.restart();
    window.show();
    if (qEnvironmentVariableIsSet("QG_BENCH_VERBOSE"))
      std::fprintf(stderr, "show %lld ms\n", static_cast<long long>(phases.elapsed()));
    return app.exec();
  }
  window.preferences().blHintViewGalleryNow = false;
  if (project) {
    if (ReportErrors(prompts) || window.project().pictures.empty()) return 1;
    window.show();
    QApplication::processEvents();
    const unsigned jobs = argc == 5 ? static_cast<unsigned>(std::atoi(argv[4])) : 0;
    auto [ms, stall] = BuildFromWindow(window, argv[3], jobs);
    if (ReportErrors(prompts) || window.builtGallery().folder.empty()) return 1;
    if (argc == 4) {  // upload
      QElapsedTimer timer;
      timer.start();
      window.btnStartFTPUploadClick();
      stall = LongestStallUntil([&] { return !window.uploadRun().running(); });
      ms = timer.elapsed();
      if (ReportErrors(prompts)) return 1;
    }
    std::printf("%lld %lld\n", static_cast<long long>(ms), static_cast<long long>(stall));
    return 0;
  }
  QStringList files;
  for (int i = 2; i < argc; ++i) files << QString::fromLocal8Bit(argv[i]);
  prompts.files.push_back(files);
  window.show();
  QApplication::processEvents();
  QElapsedTimer timer;
  timer.start();
  window.btnAddPicClick();
  QApplication::processEvents();  // the list and the preview drawn
  const qint64 ms = timer.elapsed();
  if (ReportErrors(prompts)) return 1;
  std::printf("%lld\n", static_cast<long long>(ms));
  return window.project().pictures.size() == static_cast<size_t>(files.size()) ? 0 : 1;
}
