#include "splash/CPictureEx.h"

#include <QFile>
#include <QHideEvent>
#include <QPaintEvent>
#include <QShowEvent>
#include <QPainter>
#include <QPalette>

#include <span>

#include "splash/GifFrames.h"

namespace tembra {
namespace {

std::span<const uint8_t> bytesOf(const QByteArray& data) {
  return {reinterpret_cast<const uint8_t*>(data.constData()), static_cast<size_t>(data.size())};
}



}  // namespace

// A repaint at most one display refresh after the frame was drawn.
constexpr int kRepaintPollMs = 16;

CPictureEx::CPictureEx(QWidget* parent) : QWidget(parent) {
  repaintTimer_.setInterval(kRepaintPollMs);
  connect(&repaintTimer_, &QTimer::timeout, this, [this] {
    if (dirty_.exchange(false)) {
      update();
    }
  });
}

CPictureEx::~CPictureEx() { unload(); }

bool CPictureEx::openFile(const QString& path) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly) || file.size() > kMaxFileBytes) {
    unload();
    return false;
  }
  return openMemory(file.readAll());
}

bool CPictureEx::openMemory(const QByteArray& data) {
  unload();
  const auto bytes = bytesOf(data);
  if (!GifFrames::isGif(bytes)) {
    return loadStill(data, nullptr);
  }
  GifFrames gif(bytes);
  const size_t count = gif.count();
  if (count == 0) {
    return false;
  }
  if (count == 1) {
    return loadStill(data, "GIF");
  }
  return loadAnimation(data);
}

bool CPictureEx::loadStill(const QByteArray& data, const char* format) {
  QImage picture;
  if (!picture.loadFromData(data, format) ||
      qint64{picture.width()} * picture.height() > GifAnimator::kMaxPicturePixels) {
    return false;
  }
  still_ = picture.convertToFormat(QImage::Format_ARGB32_Premultiplied);
  pictureSize_ = still_.size();
  frameCount_ = 1;
  prepareSurface({});
  return true;
}

bool CPictureEx::loadAnimation(const QByteArray& data) {
  std::vector<AnimFrame> frames = GifAnimator::decodeFrames(data, &pictureSize_);
  if (frames.empty()) {
    pictureSize_ = QSize();
    return false;
  }
  if (frames.size() == 1) {
    still_ = QImage(pictureSize_, QImage::Format_ARGB32_Premultiplied);
    still_.fill(Qt::transparent);
    QPainter(&still_).drawImage(frames.front().offset, frames.front().picture);
    frameCount_ = 1;
    prepareSurface({});
    return true;
  }
  frameCount_ = frames.size();
  prepareSurface(std::move(frames));
  return true;
}

void CPictureEx::prepareSurface(std::vector<AnimFrame> frames) {
  background_ = backgroundOverride_.isValid() ? backgroundOverride_ : palette().color(QPalette::Button);
  resize(pictureSize_);
  {
    std::lock_guard lock(surfaceMutex_);
    animator_.reset(pictureSize_, background_, std::move(frames));
  }
  initialised_ = true;
  update();
}

QColor CPictureEx::backgroundColor() const {
  if (initialised_) {
    return background_;
  }
  return backgroundOverride_.isValid() ? backgroundOverride_ : palette().color(QPalette::Button);
}

bool CPictureEx::play() {
  if (!initialised_) {
    return false;
  }
  if (frameCount_ > 1) {
    if (!thread_.joinable()) {
      playing_ = true;
      thread_ = std::thread(&CPictureEx::run, this);
      followRepaints();
    }
    return true;
  }
  {
    std::lock_guard lock(surfaceMutex_);
    animator_.drawStill(still_);
  }
  update();
  return true;
}

void CPictureEx::halt() {
  if (thread_.joinable()) {
    {
      std::lock_guard lock(exitMutex_);
      exit_ = true;
    }
    exitSignal_.notify_all();
    // The thread leaves within one frame's drawing once asked, so waiting
    // for it has no need of a time limit, and the frames it draws from are
    // never freed under it.
    thread_.join();
    {
      std::lock_guard lock(exitMutex_);
      exit_ = false;
    }
    followRepaints();
    update();
  }
  playing_ = false;
}

void CPictureEx::unload() {
  halt();
  {
    std::lock_guard lock(surfaceMutex_);
    animator_.reset(QSize(), QColor(0xFF, 0xFF, 0xFF), {});
  }
  still_ = QImage();
  pictureSize_ = QSize();
  frameCount_ = 0;
  background_ = QColor(0xFF, 0xFF, 0xFF);
  initialised_ = false;
  update();
}

QImage CPictureEx::snapshot() const {
  std::lock_guard lock(surfaceMutex_);
  return animator_.surface().copy();
}

void CPictureEx::followRepaints() {
  if (thread_.joinable() && isVisible()) {
    repaintTimer_.start();
  } else {
    repaintTimer_.stop();
  }
}

void CPictureEx::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  followRepaints();
  update();
}

void CPictureEx::hideEvent(QHideEvent* event) {
  QWidget::hideEvent(event);
  followRepaints();
}

// Resuming after a halt first undoes the disposal the halted frame never
// had, so that frame is drawn again on what lay under it.
void CPictureEx::run() {
  {
    std::lock_guard lock(surfaceMutex_);
    animator_.undoDisposal();
  }
  for (;;) {
    int index = 0;
    bool drawn = false;
    std::chrono::milliseconds wait{};
    {
      std::lock_guard lock(surfaceMutex_);
      index = static_cast<int>(animator_.currentIndex());
      drawn = animator_.drawCurrent();
      wait = animator_.currentWait();
    }
    if (drawn) {
      dirty_ = true;
      emit frameDrawn(index);
    }
    {
      std::unique_lock lock(exitMutex_);
      if (exitSignal_.wait_for(lock, wait, [this] { return exit_; })) {
        break;
      }
    }
    std::lock_guard lock(surfaceMutex_);
    animator_.dispose();
    animator_.advance();
  }
  playing_ = false;
}

void CPictureEx::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  std::lock_guard lock(surfaceMutex_);
  const QImage& surface = animator_.surface();
  if (surface.isNull()) {
    return;
  }
  painter.drawImage(QPoint((width() - surface.width()) / 2, (height() - surface.height()) / 2), surface);
}

}  // namespace tembra
