#pragma once
// The drawing side of an animated GIF: decoded frames played into an
// off-screen surface with their delays and disposal methods. No widget and
// no thread: the picture control drives it step by step under its lock, and
// tests drive it without a display.
#include <QByteArray>
#include <QColor>
#include <QImage>
#include <QPoint>
#include <QSize>

#include <chrono>
#include <cstdint>
#include <optional>
#include <vector>

namespace tembra {

// One decoded frame of an animated GIF.
struct AnimFrame {
  QImage picture;  // exactly the frame's own rectangle, premultiplied ARGB
  QPoint offset;
  QSize size;
  uint32_t delay = 0;     // hundredths of a second
  uint32_t disposal = 0;  // 2: restore background, 3: restore previous
};

class GifAnimator {
 public:
  // Logical screens of more pixels than this are refused, and frames past
  // this many decoded pixels in all are dropped.
  static constexpr qint64 kMaxPicturePixels = 4096LL * 4096;
  static constexpr qint64 kMaxFramePixels = 64LL * 1024 * 1024;

  // Decodes every frame of a GIF, each once, through the image loader; a
  // frame the loader refuses is skipped. pictureSize receives the logical
  // screen, or the frames' extent when the screen says 0. Empty when no
  // frame decodes.
  static std::vector<AnimFrame> decodeFrames(const QByteArray& gif, QSize* pictureSize);

  // Starts over with a surface of pictureSize filled with background (which
  // may be transparent), at frame 0.
  void reset(QSize pictureSize, QColor background, std::vector<AnimFrame> frames);

  // Draws a still picture at (0, 0), at its own size, over a surface cleared
  // to the background (so drawing it again blends nothing twice).
  void drawStill(const QImage& picture);

  // Undoes the current frame's disposal, for resuming after a halt that left
  // the current frame drawn but not yet disposed.
  void undoDisposal();
  // Draws the current frame, first keeping what it covers when its disposal
  // is 3. False when there is no frame to draw.
  bool drawCurrent();
  // Applies the current frame's disposal.
  void dispose();
  // Moves to the next frame; after the last one, back to frame 0 on a
  // surface cleared to the background.
  void advance();

  // How long the current frame stays up.
  std::chrono::milliseconds currentWait() const;

  const QImage& surface() const { return surface_; }
  QColor background() const { return background_; }
  size_t frameCount() const { return frames_.size(); }
  size_t currentIndex() const { return current_; }

 private:
  void fill(const QRect& area);

  QImage surface_;
  QColor background_;
  std::vector<AnimFrame> frames_;
  size_t current_ = 0;
  // What the current frame covered, while it has disposal 3.
  std::optional<QImage> saved_;
};

}  // namespace tembra
