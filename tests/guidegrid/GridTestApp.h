#pragma once
// One offscreen QApplication for the grid's widget tests, made on first use
// and kept to the end of the program; and an event loop spin.
#include <QApplication>
#include <QElapsedTimer>
#include <QThread>

#include <functional>

namespace tembra::test {

inline QApplication& gridApp() {
  static QApplication* app = [] {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static int argc = 1;
    static char name[] = "guidegrid_tests";
    static char* argv[] = {name, nullptr};
    return new QApplication(argc, argv);
  }();
  return *app;
}

inline bool spinUntil(const std::function<bool()>& done, int timeoutMs) {
  QElapsedTimer clock;
  clock.start();
  while (!done()) {
    if (clock.elapsed() > timeoutMs) return done();
    QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    QThread::msleep(1);
  }
  return true;
}

}  // namespace tembra::test
