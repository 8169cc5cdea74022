#include "player/MpvVideoWidget.h"

#include <QMetaObject>
#include <QOpenGLContext>
#include <QOpenGLExtraFunctions>
#include <algorithm>

#include "player/MpvSession.h"
#include "player/TextureCopier.h"
#include "player/VideoRenderer.h"

namespace tembra {

MpvVideoWidget::MpvVideoWidget(std::array<MpvSession*, kSessions> sessions, QWidget* parent)
    : QOpenGLWidget(parent), sessions_(sessions) {
  for (int i = 0; i < kSessions; ++i)
    connect(sessions[i], &MpvSession::aboutToClose, this, [this, i] { detach(i); });
  pace_.setSingleShot(true);
  connect(&pace_, &QTimer::timeout, this, qOverload<>(&QWidget::update));
  connect(this, &QOpenGLWidget::frameSwapped, this, &MpvVideoWidget::onSwapped);
}

MpvVideoWidget::~MpvVideoWidget() {
  // The base class destroys the context after this destructor; its signal
  // must not reach a half-destroyed widget.
  if (context()) disconnect(context(), nullptr, this, nullptr);
  releaseGL();
}

void MpvVideoWidget::setActive(int index) {
  if (index < 0 || index >= kSessions || index == active_) return;
  active_ = index;
  if (renderer_) renderer_->setActive(index);
  update();
}

void MpvVideoWidget::initializeGL() {
  // A new top-level gives the widget a new context, in another share group:
  // the renderer must follow it, or its pictures cannot be read here.
  connect(context(), &QOpenGLContext::aboutToBeDestroyed, this, &MpvVideoWidget::releaseGL, Qt::UniqueConnection);
  renderer_.reset();
  copier_.reset();
  renderer_ = std::make_unique<VideoRenderer>(context(), [this] {
    if (!pictureQueued_.exchange(true)) QMetaObject::invokeMethod(this, "onPicture", Qt::QueuedConnection);
  });
  renderer_->setActive(active_);
  copier_ = std::make_unique<TextureCopier>();
  attachSessions();
}

void MpvVideoWidget::releaseGL() {
  if (!renderer_ && !copier_) return;
  makeCurrent();
  copier_.reset();
  renderer_.reset();
  doneCurrent();
}

void MpvVideoWidget::attachSessions() {
  if (!renderer_) return;
  for (int i = 0; i < kSessions; ++i)
    if (sessions_[i]->initialized() && !renderer_->attached(i)) renderer_->attach(i, sessions_[i]->handle());
}

void MpvVideoWidget::detach(int index) {
  // The session's handle is destroyed right after: its render context must
  // be gone first.
  if (renderer_) renderer_->detach(index);
}

void MpvVideoWidget::showEvent(QShowEvent* event) {
  QOpenGLWidget::showEvent(event);
  if (renderer_) renderer_->setShown(true);
}

void MpvVideoWidget::onPicture() {
  pictureQueued_.store(false);
  if (!renderer_) return;
  // Qt draws nothing for a hidden or minimised window: the renderer drops
  // the pictures meanwhile and keeps asking here whether they are seen.
  const bool shown = isVisible() && !(window() && window()->isMinimized());
  renderer_->setShown(shown);
  if (!shown || pace_.isActive()) return;
  const qint64 wait = sincePresented_.isValid() ? presentCostMs_ - sincePresented_.elapsed() : 0;
  if (wait > 0)
    pace_.start(static_cast<int>(wait));
  else
    update();
}

void MpvVideoWidget::onSwapped() {
  if (!presenting_.isValid()) return;
  // A grab paints without a swap, and the window swaps for its other
  // widgets too: a paint long before this swap is not its cost.
  presentCostMs_ = std::min<qint64>(presenting_.elapsed(), kMaxPaceMs);
  presenting_.invalidate();
  sincePresented_.start();
}

void MpvVideoWidget::paintGL() {
  presenting_.start();
  attachSessions();
  QOpenGLExtraFunctions* f = context()->extraFunctions();
  const qreal ratio = devicePixelRatioF();
  const QSize pixels(qRound(width() * ratio), qRound(height() * ratio));
  VideoRenderer::Picture picture;
  if (renderer_) {
    // Subtitles are drawn into the picture: they keep the widget's sharpness.
    const MpvSession* session = sessions_[active_];
    renderer_->setSize(session->subtitlesOn() ? pixels : VideoRenderer::TargetSize(pixels, session->videoSize()));
    picture = renderer_->acquire();
  }
  if (!picture.texture || !copier_ || !copier_->valid()) {
    f->glClearColor(0, 0, 0, 1);
    f->glClear(GL_COLOR_BUFFER_BIT);
    return;
  }
  f->glViewport(0, 0, pixels.width(), pixels.height());
  copier_->draw(picture.texture);
  renderer_->release(f->glFenceSync(GL_SYNC_GPU_COMMANDS_COMPLETE, 0));
  if (picture.number != lastPicture_) {
    lastPicture_ = picture.number;
    ++framesDrawn_;
  }
}

}  // namespace tembra
