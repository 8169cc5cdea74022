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

MpvVideoWidget::MpvVideoWidget(std::array<MpvSession*, kSessions> sessions, QWidget* parent) : QOpenGLWidget(parent) {
  for (int i = 0; i < kSessions; ++i) {
    slots_[i].session = sessions[i];
    slots_[i].widget = this;
    slots_[i].index = i;
    connect(sessions[i], &MpvSession::aboutToClose, this, &MpvVideoWidget::freeAll);
  }
}

MpvVideoWidget::~MpvVideoWidget() {
  // The base class destroys the context after this destructor; its signal
  // must not reach a half-destroyed widget.
  if (context()) disconnect(context(), nullptr, this, nullptr);
  freeAll();
}

void MpvVideoWidget::setActive(int index) {
  if (index < 0 || index >= kSessions || index == active_) return;
  active_ = index;
  update();
}

void MpvVideoWidget::initializeGL() {
  // A new top-level (fullscreen and back) gives the widget a new context;
  // the render contexts must follow it or mpv draws into a dead one.
  connect(context(), &QOpenGLContext::aboutToBeDestroyed, this, &MpvVideoWidget::freeAll, Qt::UniqueConnection);
  createRenderContexts();
}

void MpvVideoWidget::createRenderContexts() {
  for (Slot& slot : slots_) {
    if (slot.render || !slot.session->initialized()) continue;
    mpv_opengl_init_params gl{&procAddress, nullptr};
    int advanced = 1;
    mpv_render_param params[] = {{MPV_RENDER_PARAM_API_TYPE, const_cast<char*>(MPV_RENDER_API_TYPE_OPENGL)},
                                 {MPV_RENDER_PARAM_OPENGL_INIT_PARAMS, &gl},
                                 {MPV_RENDER_PARAM_ADVANCED_CONTROL, &advanced},
                                 {MPV_RENDER_PARAM_INVALID, nullptr}};
    if (mpv_render_context_create(&slot.render, slot.session->handle(), params) < 0) {
      slot.render = nullptr;
      continue;
    }
    mpv_render_context_set_update_callback(slot.render, &MpvVideoWidget::updateCallback, &slot);
  }
}

void MpvVideoWidget::freeRenderContext(Slot& slot) {
  if (!slot.render) return;
  mpv_render_context_set_update_callback(slot.render, nullptr, nullptr);
  mpv_render_context_free(slot.render);
  slot.render = nullptr;
}

void MpvVideoWidget::freeAll() {
  if (!slots_[0].render && !slots_[1].render) return;
  makeCurrent();
  for (Slot& slot : slots_) freeRenderContext(slot);
  doneCurrent();
}

void MpvVideoWidget::updateCallback(void* context) {
  auto* slot = static_cast<Slot*>(context);
  QMetaObject::invokeMethod(slot->widget, "onMpvUpdate", Qt::QueuedConnection, Q_ARG(int, slot->index));
}

void MpvVideoWidget::onMpvUpdate(int index) {
  Slot& slot = slots_[index];
  if (!slot.render) return;
  if (!(mpv_render_context_update(slot.render) & MPV_RENDER_UPDATE_FRAME)) return;
  // Qt skips paintGL for a minimised or hidden window, and mpv then waits
  // for a frame that is never drawn, stalling playback; the session being
  // switched away from must not stall its shutdown either. Both are drawn
  // offscreen.
  if (index != active_ || !isVisible() || (window() && window()->isMinimized())) {
    drawInactive(index);
    return;
  }
  update();
}

void MpvVideoWidget::drawInactive(int index) {
  makeCurrent();
  mpv_opengl_fbo fbo{static_cast<int>(defaultFramebufferObject()), qMax(1, width()), qMax(1, height()), 0};
  int flipY = 1;
  int skip = 1;
  mpv_render_param params[] = {{MPV_RENDER_PARAM_OPENGL_FBO, &fbo},
                               {MPV_RENDER_PARAM_FLIP_Y, &flipY},
                               {MPV_RENDER_PARAM_SKIP_RENDERING, &skip},
                               {MPV_RENDER_PARAM_INVALID, nullptr}};
  mpv_render_context_render(slots_[index].render, params);
  doneCurrent();
}

void MpvVideoWidget::paintGL() {
  createRenderContexts();
  Slot& slot = slots_[active_];
  const qreal ratio = devicePixelRatioF();
  if (!slot.render) {
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
  mpv_render_context_render(slot.render, params);
  ++framesDrawn_;
}

}  // namespace tembra
