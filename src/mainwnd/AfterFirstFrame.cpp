#include "mainwnd/AfterFirstFrame.h"

#include <QEvent>
#include <QWidget>
#include <QWindow>

namespace tembra {

void AfterFirstFrame::call(QWidget* window, std::function<void()> work, int deadlineMs) {
  if (window == nullptr || !work) return;
  new AfterFirstFrame(window, std::move(work), deadlineMs);
}

AfterFirstFrame::AfterFirstFrame(QWidget* window, std::function<void()> work, int deadlineMs)
    : QObject(window), window_(window), work_(std::move(work)) {
  window->winId();
  if (QWindow* handle = window->windowHandle()) handle->installEventFilter(this);
  deadline_.setSingleShot(true);
  connect(&deadline_, &QTimer::timeout, this, [this] { fire(); });
  deadline_.start(deadlineMs);
}

bool AfterFirstFrame::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::Expose && static_cast<QWindow*>(watched)->isExposed() && !fired_) {
    watched->removeEventFilter(this);
    deadline_.stop();
    QTimer::singleShot(0, this, [this] { fire(); });
  }
  return false;
}

void AfterFirstFrame::fire() {
  if (fired_) return;
  fired_ = true;
  deadline_.stop();
  if (window_) {
    if (QWindow* handle = window_->windowHandle()) handle->removeEventFilter(this);
    work_();
  }
  deleteLater();
}

}  // namespace tembra
