#pragma once
// One QApplication per test process (offscreen unless the process was
// started for a display), and helpers that wait while Qt delivers events.
#include <unistd.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QThread>
#include <clocale>
#include <cstdlib>
#include <functional>
#include <string>

namespace tembra::test {

inline QApplication& PlayerTestApp() {
  static int argc = 1;
  static char name[] = "player_tests";
  static char* argv[] = {name, nullptr};
  static QApplication* app = [] {
    if (!std::getenv("DISPLAY") || std::getenv("TEMBRA_FORCE_OFFSCREEN"))
      setenv("QT_QPA_PLATFORM", "offscreen", 0);
    if (geteuid() == 0) qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    // As the program does: the web engine, opened later from its library,
    // shares the video's OpenGL context.
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    auto* a = new QApplication(argc, argv);
    std::setlocale(LC_NUMERIC, "C");
    return a;
  }();
  return *app;
}

// Processes events until done() or timeoutMs; true when done() held.
inline bool WaitFor(const std::function<bool()>& done, int timeoutMs) {
  PlayerTestApp();
  QElapsedTimer timer;
  timer.start();
  while (!done()) {
    if (timer.elapsed() > timeoutMs) return false;
    QApplication::processEvents(QEventLoop::AllEvents, 10);
    QThread::msleep(2);
  }
  return true;
}

inline void Spin(int ms) {
  WaitFor([] { return false; }, ms);
}

}  // namespace tembra::test
