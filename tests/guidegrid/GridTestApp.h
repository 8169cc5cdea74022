#pragma once
// One offscreen QApplication for the grid's widget tests, made on first use
// and kept to the end of the program; and an event loop spin.
#include <QApplication>

#include "EventSpin.h"

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

}  // namespace tembra::test
