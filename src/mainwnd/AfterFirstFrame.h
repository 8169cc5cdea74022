#pragma once
#include <QObject>
#include <QPointer>
#include <QTimer>

#include <functional>

class QWidget;

namespace tembra {

// Runs work once a window has put its first frame on the screen: at its
// first exposure, on the next turn of the event loop (the paint that the
// exposure starts has run by then). A window the window system never
// exposes (mapped minimised, or never mapped) gets the work after a
// deadline all the same. The work is dropped when the window goes first.
//
//   AfterFirstFrame::call(window, [&] { makeTheSlowParts(); });
//   window->show();
class AfterFirstFrame : public QObject {
 public:
  static constexpr int kDeadlineMs = 2000;

  // Call before showing the window; window gets a native handle here.
  static void call(QWidget* window, std::function<void()> work, int deadlineMs = kDeadlineMs);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  AfterFirstFrame(QWidget* window, std::function<void()> work, int deadlineMs);
  void fire();

  QPointer<QWidget> window_;
  std::function<void()> work_;
  QTimer deadline_;
  bool fired_ = false;
};

}  // namespace tembra
