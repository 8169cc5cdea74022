#include "player/VideoRenderer.h"

#include <mpv/client.h>
#include <mpv/render.h>

#include <QThread>
#include <cstdlib>
#include <memory>
#include <utility>

namespace tembra {

namespace {

// mpv's name for QImage::Format_RGB32's bytes in memory (blue, green, red,
// unused) on a little-endian machine.
constexpr char kPixelFormat[] = "bgr0";

QImage alignedImage(const QSize& size) {
  const qsizetype stride = (static_cast<qsizetype>(size.width()) * 4 + VideoRenderer::kRowAlign - 1) /
                           VideoRenderer::kRowAlign * VideoRenderer::kRowAlign;
  void* data = std::aligned_alloc(VideoRenderer::kRowAlign, static_cast<size_t>(stride) * size.height());
  if (data == nullptr) return {};
  return QImage(static_cast<uchar*>(data), size.width(), size.height(), stride, QImage::Format_RGB32, &std::free,
                data);
}

}  // namespace

VideoRenderer::VideoRenderer(std::function<void()> pictureReady) : pictureReady_(std::move(pictureReady)) {
  for (int i = 0; i < kSessions; ++i) wakes_[i] = Wake{this, i};
  running_ = true;
  thread_ = QThread::create([this] { run(); });
  thread_->setObjectName(QStringLiteral("video render"));
  thread_->start();
}

VideoRenderer::~VideoRenderer() {
  {
    std::lock_guard lock(mutex_);
    stopping_ = true;
  }
  wake_.notify_all();
  thread_->wait();
  delete thread_;
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
  std::unique_lock lock(mutex_);
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
  lock.lock();
  running_ = false;
  lock.unlock();
  wake_.notify_all();
}

void VideoRenderer::attach(int index, mpv_handle* handle) {
  if (index < 0 || index >= kSessions || !handle) return;
  {
    std::lock_guard lock(mutex_);
    if (slots_[index].attached) return;
    slots_[index].attached = true;
  }
  post(
      [this, index, handle] {
        Slot& slot = slots_[index];
        if (slot.render) return;
        int advanced = 1;
        mpv_render_param params[] = {{MPV_RENDER_PARAM_API_TYPE, const_cast<char*>(MPV_RENDER_API_TYPE_SW)},
                                     {MPV_RENDER_PARAM_ADVANCED_CONTROL, &advanced},
                                     {MPV_RENDER_PARAM_INVALID, nullptr}};
        mpv_render_context* render = nullptr;
        if (mpv_render_context_create(&render, handle, params) < 0) return;
        slot.render = render;
        mpv_render_context_set_update_callback(render, &VideoRenderer::updateCallback, &wakes_[index]);
        std::lock_guard lock(mutex_);
        slot.update = true;
      },
      // Waited for (a software context is made in well under a
      // millisecond): a file loaded before it exists plays without video.
      true);
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
  if (!slot.render) return;
  const uint64_t flags = mpv_render_context_update(slot.render);
  if (!(flags & MPV_RENDER_UPDATE_FRAME) && !redraw) return;
  int active = 0;
  bool shown = true;
  QSize size;
  int target = -1;
  {
    std::lock_guard lock(mutex_);
    active = active_;
    shown = shown_;
    size = size_;
    target = pickSurface(size);
  }
  if (index != active || !shown) {
    // Taken and dropped: mpv waits for each frame to be rendered, so the
    // session switched away from, or a hidden or minimised window's video,
    // would stall otherwise.
    alignas(kRowAlign) unsigned char pixel[kRowAlign];
    render(slot.render, QSize(1, 1), kRowAlign, pixel, true);
    // The widget looks again whether it is seen, and asks for pictures
    // once it is.
    if (index == active) pictureReady_();
    return;
  }
  Surface& surface = surfaces_[target];
  if (surface.image.size() != size) surface.image = alignedImage(size);
  if (surface.image.isNull()) return;
  // Not bits(): that would copy a picture the widget still shares, and
  // nobody reads this surface while it is drawn into.
  auto* bits = const_cast<uchar*>(surface.image.constBits());
  if (!render(slot.render, size, static_cast<size_t>(surface.image.bytesPerLine()), bits, false)) return;
  {
    std::lock_guard lock(mutex_);
    surface.number = ++pictures_;
    latest_ = target;
  }
  pictureReady_();
}

bool VideoRenderer::render(mpv_render_context* render, QSize size, size_t stride, void* pixels, bool skip) {
  int sides[2] = {size.width(), size.height()};
  int skipFlag = skip ? 1 : 0;
  mpv_render_param params[] = {{MPV_RENDER_PARAM_SW_SIZE, sides},
                               {MPV_RENDER_PARAM_SW_FORMAT, const_cast<char*>(kPixelFormat)},
                               {MPV_RENDER_PARAM_SW_STRIDE, &stride},
                               {MPV_RENDER_PARAM_SW_POINTER, pixels},
                               {MPV_RENDER_PARAM_SKIP_RENDERING, &skipFlag},
                               {MPV_RENDER_PARAM_INVALID, nullptr}};
  return mpv_render_context_render(render, params) >= 0;
}

int VideoRenderer::pickSurface(const QSize& size) const {
  // Neither the latest picture nor the one the widget holds; of the rest,
  // one already of the right size saves reallocating.
  int pick = -1;
  for (int i = 0; i < kPictures; ++i) {
    if (i == latest_ || i == held_) continue;
    if (pick < 0 || (surfaces_[i].image.size() == size && surfaces_[pick].image.size() != size)) pick = i;
  }
  return pick;
}

VideoRenderer::Picture VideoRenderer::acquire() {
  std::lock_guard lock(mutex_);
  if (latest_ < 0) return {};
  held_ = latest_;
  const Surface& s = surfaces_[held_];
  return {s.image, s.number};
}

}  // namespace tembra
