#include "player/VideoRenderer.h"

#include <mpv/client.h>
#include <mpv/render_gl.h>

#include <QOffscreenSurface>
#include <QOpenGLContext>
#include <QOpenGLExtraFunctions>
#include <QThread>
#include <memory>
#include <utility>

namespace tembra {

namespace {

void* procAddress(void*, const char* name) {
  QOpenGLContext* context = QOpenGLContext::currentContext();
  return context ? reinterpret_cast<void*>(context->getProcAddress(name)) : nullptr;
}

// Longest wait for the widget to finish reading a picture before it is
// drawn over: a fence that never signals (a lost context) must not stop
// the video for good.
constexpr GLuint64 kFenceWaitNs = 500'000'000;

}  // namespace

QSize VideoRenderer::TargetSize(QSize widget, QSize video) {
  widget = widget.expandedTo(QSize(1, 1));
  if (video.width() <= 0 || video.height() <= 0) return widget;
  // In whole numbers: the side that limits the fit keeps the video's own
  // length, the other the widget's proportion of it, rounded up.
  const int64_t w = widget.width(), h = widget.height(), vw = video.width(), vh = video.height();
  const auto up = [](int64_t a, int64_t b) { return static_cast<int>((a + b - 1) / b); };
  if (w * vh <= h * vw) {  // the width limits
    if (w <= vw) return widget;
    return QSize(static_cast<int>(vw), up(h * vw, w));
  }
  if (h <= vh) return widget;
  return QSize(up(w * vh, h), static_cast<int>(vh));
}

VideoRenderer::VideoRenderer(QOpenGLContext* share, std::function<void()> pictureReady)
    : pictureReady_(std::move(pictureReady)) {
  for (int i = 0; i < kSessions; ++i) wakes_[i] = Wake{this, i};
  const QSurfaceFormat format = share ? share->format() : QSurfaceFormat::defaultFormat();
  // Both made here: an offscreen surface must be created on the GUI thread,
  // and the context then moves to the thread that draws with it.
  offscreen_ = new QOffscreenSurface;
  offscreen_->setFormat(format);
  offscreen_->create();
  context_ = new QOpenGLContext;
  context_->setFormat(format);
  context_->setShareContext(share);
  if (!offscreen_->isValid() || !context_->create()) {
    delete context_;
    context_ = nullptr;
    return;
  }
  valid_ = true;
  running_ = true;
  thread_ = QThread::create([this] { run(); });
  thread_->setObjectName(QStringLiteral("video render"));
  context_->moveToThread(thread_);
  thread_->start();
}

VideoRenderer::~VideoRenderer() {
  if (thread_) {
    {
      std::lock_guard lock(mutex_);
      stopping_ = true;
    }
    wake_.notify_all();
    thread_->wait();
    delete thread_;
  }
  delete context_;  // only when it never ran; the thread deletes its own
  delete offscreen_;
}

bool VideoRenderer::valid() const {
  std::lock_guard lock(mutex_);
  return valid_;
}

void VideoRenderer::post(std::function<void()> job, bool wait) {
  std::unique_lock lock(mutex_);
  if (!running_ || stopping_) return;
  if (!wait) {
    jobs_.push_back(std::move(job));
    lock.unlock();
    wake_.notify_all();
    return;
  }
  auto done = std::make_shared<bool>(false);
  jobs_.push_back([this, job = std::move(job), done] {
    job();
    {
      std::lock_guard inner(mutex_);
      *done = true;
    }
    wake_.notify_all();
  });
  wake_.notify_all();
  // The thread finishes every job it was given before it stops.
  wake_.wait(lock, [&] { return *done || !running_; });
}

void VideoRenderer::run() {
  const bool current = context_->makeCurrent(offscreen_);
  gl_ = current ? context_->extraFunctions() : nullptr;
  std::unique_lock lock(mutex_);
  if (!current) valid_ = false;
  for (;;) {
    wake_.wait(lock, [this] {
      return stopping_ || !jobs_.empty() || redraw_ || slots_[0].update || slots_[1].update;
    });
    if (!jobs_.empty()) {
      std::function<void()> job = std::move(jobs_.front());
      jobs_.pop_front();
      lock.unlock();
      job();
      lock.lock();
      continue;
    }
    if (stopping_) break;
    for (int i = 0; i < kSessions; ++i) {
      const bool redraw = redraw_ && i == active_;
      if (!slots_[i].update && !redraw) continue;
      slots_[i].update = false;
      if (redraw) redraw_ = false;
      lock.unlock();
      draw(i, redraw);
      lock.lock();
    }
  }
  lock.unlock();
  for (int i = 0; i < kSessions; ++i) freeRender(i);
  if (gl_) {
    for (Surface& s : surfaces_) freeSurface(s);
    context_->doneCurrent();
  }
  delete context_;
  context_ = nullptr;
  lock.lock();
  running_ = false;
  lock.unlock();
  wake_.notify_all();
}

void VideoRenderer::attach(int index, mpv_handle* handle) {
  if (index < 0 || index >= kSessions || !handle) return;
  {
    std::lock_guard lock(mutex_);
    if (slots_[index].attached || !valid_) return;
    slots_[index].attached = true;
  }
  post(
      [this, index, handle] {
        Slot& slot = slots_[index];
        if (!gl_ || slot.render) return;
        mpv_opengl_init_params init{&procAddress, nullptr};
        int advanced = 1;
        mpv_render_param params[] = {{MPV_RENDER_PARAM_API_TYPE, const_cast<char*>(MPV_RENDER_API_TYPE_OPENGL)},
                                     {MPV_RENDER_PARAM_OPENGL_INIT_PARAMS, &init},
                                     {MPV_RENDER_PARAM_ADVANCED_CONTROL, &advanced},
                                     {MPV_RENDER_PARAM_INVALID, nullptr}};
        mpv_render_context* render = nullptr;
        if (mpv_render_context_create(&render, handle, params) < 0) return;
        slot.render = render;
        mpv_render_context_set_update_callback(render, &VideoRenderer::updateCallback, &wakes_[index]);
        std::lock_guard lock(mutex_);
        slot.update = true;
      },
      false);
}

void VideoRenderer::detach(int index) {
  if (index < 0 || index >= kSessions) return;
  {
    std::lock_guard lock(mutex_);
    if (!slots_[index].attached) return;
    slots_[index].attached = false;
  }
  post([this, index] { freeRender(index); }, true);
}

bool VideoRenderer::attached(int index) const {
  std::lock_guard lock(mutex_);
  return index >= 0 && index < kSessions && slots_[index].attached;
}

void VideoRenderer::freeRender(int index) {
  Slot& slot = slots_[index];
  if (!slot.render) return;
  mpv_render_context_set_update_callback(slot.render, nullptr, nullptr);
  mpv_render_context_free(slot.render);
  slot.render = nullptr;
  std::lock_guard lock(mutex_);
  slot.update = false;
}

void VideoRenderer::updateCallback(void* context) {
  // On one of mpv's threads: only marks and wakes.
  auto* wake = static_cast<Wake*>(context);
  VideoRenderer* self = wake->renderer;
  {
    std::lock_guard lock(self->mutex_);
    self->slots_[wake->index].update = true;
  }
  self->wake_.notify_all();
}

void VideoRenderer::setActive(int index) {
  if (index < 0 || index >= kSessions) return;
  {
    std::lock_guard lock(mutex_);
    if (index == active_) return;
    active_ = index;
    redraw_ = true;
  }
  wake_.notify_all();
}

void VideoRenderer::setSize(QSize pixels) {
  pixels = pixels.expandedTo(QSize(1, 1));
  {
    std::lock_guard lock(mutex_);
    if (pixels == size_) return;
    size_ = pixels;
    redraw_ = true;
  }
  wake_.notify_all();
}

void VideoRenderer::setShown(bool shown) {
  {
    std::lock_guard lock(mutex_);
    if (shown == shown_) return;
    shown_ = shown;
    redraw_ = shown;
  }
  wake_.notify_all();
}

void VideoRenderer::draw(int index, bool redraw) {
  Slot& slot = slots_[index];
  if (!slot.render || !gl_) return;
  const uint64_t flags = mpv_render_context_update(slot.render);
  if (!(flags & MPV_RENDER_UPDATE_FRAME) && !redraw) return;
  int active = 0;
  bool shown = true;
  QSize size;
  {
    std::lock_guard lock(mutex_);
    active = active_;
    shown = shown_;
    size = size_;
  }
  if (index != active || !shown) {
    // Taken and dropped: mpv waits for each frame to be rendered, so the
    // session switched away from, or a hidden or minimised window's video,
    // would stall otherwise.
    mpv_opengl_fbo fbo{0, 1, 1, 0};
    int skip = 1;
    mpv_render_param params[] = {{MPV_RENDER_PARAM_OPENGL_FBO, &fbo},
                                 {MPV_RENDER_PARAM_SKIP_RENDERING, &skip},
                                 {MPV_RENDER_PARAM_INVALID, nullptr}};
    mpv_render_context_render(slot.render, params);
    // The widget looks again whether it is seen, and asks for pictures
    // once it is.
    if (index == active) pictureReady_();
    return;
  }
  int target = 0;
  void* fence = nullptr;
  {
    std::lock_guard lock(mutex_);
    target = pickSurface(size);
    std::swap(fence, surfaces_[target].fence);
  }
  if (fence) {
    gl_->glClientWaitSync(static_cast<GLsync>(fence), GL_SYNC_FLUSH_COMMANDS_BIT, kFenceWaitNs);
    gl_->glDeleteSync(static_cast<GLsync>(fence));
  }
  Surface& surface = surfaces_[target];
  prepare(surface, size);
  if (!surface.framebuffer) return;
  mpv_opengl_fbo fbo{static_cast<int>(surface.framebuffer), size.width(), size.height(), 0};
  // The widget copies the picture as it is into its own framebuffer, which
  // has OpenGL's bottom-up rows.
  int flipY = 1;
  mpv_render_param params[] = {{MPV_RENDER_PARAM_OPENGL_FBO, &fbo},
                               {MPV_RENDER_PARAM_FLIP_Y, &flipY},
                               {MPV_RENDER_PARAM_INVALID, nullptr}};
  mpv_render_context_render(slot.render, params);
  // The widget's context reads it next: it must be complete by then.
  gl_->glFinish();
  {
    std::lock_guard lock(mutex_);
    surface.number = ++pictures_;
    latest_ = target;
  }
  pictureReady_();
}

int VideoRenderer::pickSurface(const QSize& size) {
  // Neither the latest picture nor the one the widget holds; of the rest,
  // one already of the right size saves reallocating.
  int pick = -1;
  for (int i = 0; i < kPictures; ++i) {
    if (i == latest_ || i == held_) continue;
    if (pick < 0 || (surfaces_[i].size == size && surfaces_[pick].size != size)) pick = i;
  }
  return pick;
}

void VideoRenderer::prepare(Surface& surface, const QSize& size) {
  if (!surface.framebuffer) {
    gl_->glGenFramebuffers(1, &surface.framebuffer);
    gl_->glGenTextures(1, &surface.texture);
  }
  if (surface.size == size) return;
  gl_->glBindTexture(GL_TEXTURE_2D, surface.texture);
  gl_->glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, size.width(), size.height(), 0, GL_RGBA, GL_UNSIGNED_BYTE, nullptr);
  gl_->glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
  gl_->glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
  gl_->glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
  gl_->glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
  gl_->glBindTexture(GL_TEXTURE_2D, 0);
  gl_->glBindFramebuffer(GL_FRAMEBUFFER, surface.framebuffer);
  gl_->glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, surface.texture, 0);
  const bool complete = gl_->glCheckFramebufferStatus(GL_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE;
  gl_->glBindFramebuffer(GL_FRAMEBUFFER, 0);
  if (!complete) return freeSurface(surface);
  surface.size = size;
}

void VideoRenderer::freeSurface(Surface& surface) {
  if (surface.fence) gl_->glDeleteSync(static_cast<GLsync>(surface.fence));
  if (surface.framebuffer) gl_->glDeleteFramebuffers(1, &surface.framebuffer);
  if (surface.texture) gl_->glDeleteTextures(1, &surface.texture);
  surface.fence = nullptr;
  surface.framebuffer = surface.texture = 0;
  surface.size = QSize();
}

VideoRenderer::Picture VideoRenderer::acquire() {
  std::lock_guard lock(mutex_);
  if (latest_ < 0) return {};
  held_ = latest_;
  const Surface& s = surfaces_[held_];
  return {s.texture, s.size, s.number};
}

void VideoRenderer::release(void* fence) {
  void* old = nullptr;
  {
    std::lock_guard lock(mutex_);
    if (held_ < 0) {
      old = fence;
    } else {
      old = surfaces_[held_].fence;
      surfaces_[held_].fence = fence;
    }
  }
  if (old)
    if (QOpenGLContext* current = QOpenGLContext::currentContext())
      current->extraFunctions()->glDeleteSync(static_cast<GLsync>(old));
}

}  // namespace tembra
