// The program's main window for the benchmarks.
//   bench_gui_window start            starts as quillon-gallery does; prints the time of the first
//                                     paint and ends there
//   bench_gui_window add PICTURE...   adds the pictures through the window's Add (the chooser
//                                     answered by a script) and prints the Add's milliseconds
#include <QApplication>
#include <QElapsedTimer>
#include <cstdio>
#include <cstring>

#include "FirstPaint.h"
#include "MainWindow.h"
#include "support/ScriptedPrompts.h"

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: bench_gui_window start | add PICTURE...\n");
    return 2;
  }
  QElapsedTimer phases;
  phases.start();
  QApplication app(argc, argv);
  const qint64 appMs = phases.restart();
  qg::app::ScriptedPrompts prompts;
  qg::app::MainWindow window(prompts, {});
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
  if (!prompts.texts("showError").isEmpty()) {
    std::fprintf(stderr, "%s\n", prompts.texts("showError").front().toLocal8Bit().constData());
    return 1;
  }
  std::printf("%lld\n", static_cast<long long>(ms));
  return window.project().pictures.size() == static_cast<size_t>(files.size()) ? 0 : 1;
}
