#include "splash/GifAnimator.h"

#include <QPainter>

#include "splash/GifFrames.h"

namespace tembra {
namespace {

qint64 pixels(QSize size) { return qint64{size.width()} * size.height(); }

}  // namespace

// The loader turns a single-image GIF into a picture of the whole logical
// screen (or, when the screen says 0, of the frame's far corner) with the
// frame at its offset; only the frame's own rectangle is kept, so that
// drawing it at its offset touches nothing else. A loader that gives the
// frame alone is taken at its word.
std::vector<AnimFrame> GifAnimator::decodeFrames(const QByteArray& data, QSize* pictureSize) {
  GifFrames gif({reinterpret_cast<const uint8_t*>(data.constData()), static_cast<size_t>(data.size())});
  std::vector<AnimFrame> frames;
  const QSize screen(gif.screen().width, gif.screen().height);
  if (!gif.valid() || pixels(screen) > kMaxPicturePixels) {
    return frames;
  }
  QRect bounds;
  qint64 decodedPixels = 0;
  while (auto frame = gif.next()) {
    QImage decoded;
    if (!decoded.loadFromData(frame->gif.data(), static_cast<int>(frame->gif.size()), "GIF")) {
      continue;
    }
    const QRect area(frame->left, frame->top, frame->width, frame->height);
    QImage picture;
    QPoint offset = area.topLeft();
    if (decoded.size() == area.size() && !decoded.rect().contains(area)) {
      picture = decoded;
    } else {
      const QRect inside = area.intersected(decoded.rect());
      picture = decoded.copy(inside);
      offset = inside.topLeft();
    }
    if (picture.isNull()) {
      continue;
    }
    decodedPixels += pixels(picture.size());
    if (decodedPixels > kMaxFramePixels) {
      break;
    }
    AnimFrame animFrame;
    animFrame.picture = picture.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    animFrame.offset = offset;
    animFrame.size = picture.size();
    animFrame.delay = frame->delay;
    animFrame.disposal = frame->disposal;
    bounds |= QRect(offset, animFrame.size);
    frames.push_back(std::move(animFrame));
  }
  // A logical screen of zero size says nothing; the frames' extent does.
  *pictureSize = screen.isEmpty() ? QSize(bounds.right() + 1, bounds.bottom() + 1) : screen;
  if (pixels(*pictureSize) > kMaxPicturePixels) {
    frames.clear();
  }
  return frames;
}

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
  fill(surface_.rect());
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
  undoDisposal();
  if (current_ < frames_.size() && frames_[current_].disposal == 3) {
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
