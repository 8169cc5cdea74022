#include "player/MpvVideoWidget.h"

#include <mpv/client.h>
#include <mpv/render_gl.h>

#include <QMetaObject>
#include <QOpenGLContext>
#include <QOpenGLFunctions>

#include "player/MpvSession.h"

namespace tembra {

namespace {

void* procAddress(void*, const char* name) {
  QOpenGLContext* context = QOpenGLContext::currentContext();
  return context ? reinterpret_cast<void*>(context->getProcAddress(name)) : nullptr;
}

}  // namespace

MpvVideoWidget::MpvVideoWidget(MpvSession* session, QWidget* parent) : QOpenGLWidget(parent), session_(session) {
  connect(session_, &MpvSession::aboutToClose, this, &MpvVideoWidget::onSessionClosing);
}

MpvVideoWidget::~MpvVideoWidget() {
  if (render_) {
    makeCurrent();
    freeRenderContext();
    doneCurrent();
  }
}

void MpvVideoWidget::initializeGL() {
  // A new top-level (fullscreen and back) gives the widget a new context;
  // the render context must follow it or mpv draws into a dead one.
  connect(context(), &QOpenGLContext::aboutToBeDestroyed, this, &MpvVideoWidget::onSessionClosing,
          Qt::UniqueConnection);
  createRenderContext();
}

void MpvVideoWidget::createRenderContext() {
  if (render_ || !session_->initialized()) return;
  mpv_opengl_init_params gl{&procAddress, nullptr};
  int advanced = 1;
  mpv_render_param params[] = {{MPV_RENDER_PARAM_API_TYPE, const_cast<char*>(MPV_RENDER_API_TYPE_OPENGL)},
                               {MPV_RENDER_PARAM_OPENGL_INIT_PARAMS, &gl},
                               {MPV_RENDER_PARAM_ADVANCED_CONTROL, &advanced},
                               {MPV_RENDER_PARAM_INVALID, nullptr}};
  if (mpv_render_context_create(&render_, session_->handle(), params) < 0) {
    render_ = nullptr;
    return;
  }
  mpv_render_context_set_update_callback(render_, &MpvVideoWidget::updateCallback, this);
}

void MpvVideoWidget::freeRenderContext() {
  if (!render_) return;
  mpv_render_context_set_update_callback(render_, nullptr, nullptr);
  mpv_render_context_free(render_);
  render_ = nullptr;
}

void MpvVideoWidget::onSessionClosing() {
  // Also the context going away: the render context must go first.
  if (!render_) return;
  makeCurrent();
  freeRenderContext();
  doneCurrent();
}

void MpvVideoWidget::updateCallback(void* context) {
  QMetaObject::invokeMethod(static_cast<MpvVideoWidget*>(context), "onMpvUpdate", Qt::QueuedConnection);
}

void MpvVideoWidget::onMpvUpdate() {
  if (!render_) return;
  const uint64_t flags = mpv_render_context_update(render_);
  if (!(flags & MPV_RENDER_UPDATE_FRAME)) return;
  // Qt skips paintGL for a minimised or hidden window, and mpv then waits
  // for a frame that is never drawn, stalling playback; draw it offscreen.
  if (!isVisible() || (window() && window()->isMinimized())) {
    makeCurrent();
    paintGL();
    doneCurrent();
    return;
  }
  update();
}

void MpvVideoWidget::paintGL() {
  if (!render_) createRenderContext();
  const qreal ratio = devicePixelRatioF();
  if (!render_) {
    QOpenGLFunctions* f = context()->functions();
    f->glClearColor(0, 0, 0, 1);
    f->glClear(GL_COLOR_BUFFER_BIT);
    return;
  }
  mpv_opengl_fbo fbo{static_cast<int>(defaultFramebufferObject()), static_cast<int>(width() * ratio),
                     static_cast<int>(height() * ratio), 0};
  int flipY = 1;
  mpv_render_param params[] = {{MPV_RENDER_PARAM_OPENGL_FBO, &fbo},
                               {MPV_RENDER_PARAM_FLIP_Y, &flipY},
                               {MPV_RENDER_PARAM_INVALID, nullptr}};
  mpv_render_context_render(render_, params);
  ++framesDrawn_;
}

}  // namespace tembra
