#pragma once
// Answers the program's error message box for a test: while it lives, any
// box that opens is read and dismissed, so a test that expects a load
// failure does not wait for a user.
#include <QApplication>
#include <QMessageBox>
#include <QStringList>
#include <QTimer>

#include "mainwnd/ErrorMessage.h"

namespace tembra::test {

class ErrorBoxCatcher {
 public:
  ErrorBoxCatcher() {
    QObject::connect(&timer_, &QTimer::timeout, [this] {
      for (QWidget* w : QApplication::topLevelWidgets()) {
        auto* box = qobject_cast<QMessageBox*>(w);
        if (box == nullptr || !box->isVisible()) continue;
        texts << box->text();
        icons << box->icon();
        ErrorMessage::dismissOpen();
      }
    });
    timer_.start(20);
  }

  QStringList texts;                  // every box's text, in order
  QList<QMessageBox::Icon> icons;

 private:
  QTimer timer_;
};

}  // namespace tembra::test
