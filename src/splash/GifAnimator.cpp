#include "splash/GifAnimator.h"

#include <QPainter>

#include "splash/GifFrames.h"

namespace tembra {

void GifAnimator::reset(QSize pictureSize, QColor background, std::vector<AnimFrame> frames) {
  frames_ = std::move(frames);
  background_ = background;
  current_ = 0;
  saved_.reset();
  surface_ = QImage(pictureSize, QImage::Format_ARGB32_Premultiplied);
  fill(surface_.rect());
}

// Source composition so that a transparent background really clears.
void GifAnimator::fill(const QRect& area) {
  if (surface_.isNull()) {
    return;
  }
  QPainter painter(&surface_);
  painter.setCompositionMode(QPainter::CompositionMode_Source);
  painter.fillRect(area, background_);
}

void GifAnimator::drawStill(const QImage& picture) {
  if (surface_.isNull() || picture.isNull()) {
    return;
  }
  QPainter painter(&surface_);
  painter.drawImage(QPoint(0, 0), picture);
}

void GifAnimator::undoDisposal() {
  if (current_ >= frames_.size()) {
    return;
  }
  const AnimFrame& frame = frames_[current_];
  if (frame.disposal == 2) {
    fill(QRect(frame.offset, frame.size));
  } else if (frame.disposal == 3 && saved_) {
    QPainter painter(&surface_);
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    painter.drawImage(frame.offset, *saved_);
  }
}

bool GifAnimator::drawCurrent() {
  if (current_ >= frames_.size() || surface_.isNull()) {
    return false;
  }
  const AnimFrame& frame = frames_[current_];
  if (frame.disposal == 3) {
    saved_ = surface_.copy(QRect(frame.offset, frame.size));
  }
  QPainter painter(&surface_);
  painter.drawImage(frame.offset, frame.picture);
  return true;
}

void GifAnimator::dispose() {
  if (current_ >= frames_.size()) {
    return;
  }
  const AnimFrame& frame = frames_[current_];
  if (frame.disposal == 2) {
    fill(QRect(frame.offset, frame.size));
  } else if (frame.disposal == 3 && saved_) {
    QPainter painter(&surface_);
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    painter.drawImage(frame.offset, *saved_);
    saved_.reset();
  }
}

void GifAnimator::advance() {
  if (frames_.empty()) {
    return;
  }
  if (++current_ >= frames_.size()) {
    current_ = 0;
    fill(surface_.rect());
  }
}

std::chrono::milliseconds GifAnimator::currentWait() const {
  return GifFrames::frameWait(current_ < frames_.size() ? frames_[current_].delay : GifFrames::kDefaultDelay);
}

}  // namespace tembra
