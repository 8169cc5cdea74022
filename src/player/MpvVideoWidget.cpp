#include "player/MpvVideoWidget.h"

#include <QMetaObject>
#include <QPaintEvent>
#include <QPainter>

#include "player/MpvSession.h"
#include "player/VideoRenderer.h"

namespace tembra {

MpvVideoWidget::MpvVideoWidget(std::array<MpvSession*, kSessions> sessions, QWidget* parent)
    : QWidget(parent), sessions_(sessions) {
  // Every pixel is painted each time: nothing under the widget needs
  // painting first.
  setAttribute(Qt::WA_OpaquePaintEvent);
  for (int i = 0; i < kSessions; ++i)
    connect(sessions[i], &MpvSession::aboutToClose, this, [this, i] { detach(i); });
  renderer_ = std::make_unique<VideoRenderer>([this] {
    if (!pictureQueued_.exchange(true)) QMetaObject::invokeMethod(this, "onPicture", Qt::QueuedConnection);
  });
  attachSessions();
}

MpvVideoWidget::~MpvVideoWidget() = default;

void MpvVideoWidget::setActive(int index) {
  if (index < 0 || index >= kSessions || index == active_) return;
  active_ = index;
  renderer_->setActive(index);
  update();
}

void MpvVideoWidget::attachSessions() {
  for (int i = 0; i < kSessions; ++i)
    if (sessions_[i]->initialized() && !renderer_->attached(i)) renderer_->attach(i, sessions_[i]->handle());
}

void MpvVideoWidget::detach(int index) {
  // The session's handle is destroyed right after: its render context must
  // be gone first.
  renderer_->detach(index);
}

void MpvVideoWidget::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  renderer_->setShown(true);
}

void MpvVideoWidget::onPicture() {
  pictureQueued_.store(false);
  // Qt paints nothing for a hidden or minimised window: the renderer drops
  // the pictures meanwhile and keeps asking here whether they are seen.
  const bool shown = isVisible() && !(window() && window()->isMinimized());
  renderer_->setShown(shown);
  if (shown) update();
}

void MpvVideoWidget::paintEvent(QPaintEvent*) {
  const qreal ratio = devicePixelRatioF();
  renderer_->setSize(QSize(qRound(width() * ratio), qRound(height() * ratio)));
  QPainter painter(this);
  VideoRenderer::Picture picture = renderer_->acquire();
  if (picture.image.isNull()) {
    painter.fillRect(rect(), Qt::black);
    return;
  }
  // At the widget's size the picture is copied as it is; an older size
  // (the window was just resized) is stretched until the next picture.
  // Source and target given apart: setting the picture's pixel ratio
  // would copy it while the renderer shares it.
  painter.drawImage(QRectF(rect()), picture.image, QRectF(picture.image.rect()));
  if (picture.number != lastPicture_) {
    lastPicture_ = picture.number;
    ++framesDrawn_;
  }
}

}  // namespace tembra
