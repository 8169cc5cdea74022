#pragma once
// A picture control that shows an image file and animates it when it is a
// GIF with several images. Each frame is decoded once, at load; playing only
// draws the decoded frames, on an animation thread, into an off-screen
// surface that painting copies to the screen.
//
// Use from the GUI thread only (every public function):
//
//   auto* picture = new CPictureEx(parent);
//   if (picture->openFile(skinFolder + "frame_channel_list_load.gif")) {
//     picture->play();
//   }
//   picture->hide();            // show() / hide() / move() / setGeometry() as any widget
//   ...
//   picture->halt();            // stop; play() resumes at the frame it stopped on
//   picture->unload();          // back to empty; the destructor does this too
//
// Loading resizes the control to the picture's size without moving it; the
// control may then be given any geometry (setGeometry(x, y, 89, 76)): the
// surface is painted centred in it, clipped when the control is smaller, and
// the rest of the control is left to the parent's background.
//
// An animation may stay playing while the control is hidden: frames go on
// being drawn into the surface, but the control repaints only while visible.
#include <QByteArray>
#include <QColor>
#include <QImage>
#include <QSize>
#include <QString>
#include <QTimer>
#include <QWidget>

#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <mutex>
#include <thread>

#include "splash/GifAnimator.h"

namespace tembra {

class CPictureEx : public QWidget {
  Q_OBJECT

 public:
  // Files larger than this are not loaded.
  static constexpr qint64 kMaxFileBytes = 64 * 1024 * 1024;

  explicit CPictureEx(QWidget* parent = nullptr);
  // Halts the animation and unloads.
  ~CPictureEx() override;

  // Reads the whole file and loads it as openMemory does.
  bool openFile(const QString& path);
  // Unloads, then decodes: a GIF with several images becomes an animation,
  // anything else the image loader reads (a one-image GIF, BMP, PNG, JPEG)
  // a still picture. The surface starts filled with the background colour.
  // False, leaving the control empty, when nothing could be decoded.
  bool openMemory(const QByteArray& data);

  // Starts the animation thread for an animation, or draws the still
  // picture. True when the picture is up (animating or still, including a
  // second call while it already animates); false when nothing is loaded.
  bool play();
  // Stops the animation thread and waits for it; the surface keeps the frame
  // on show. Does nothing when not animating.
  void halt();
  // Halts and drops the picture; the control is then empty.
  void unload();

  bool isLoaded() const { return initialised_; }
  bool isAnimated() const { return frameCount_ > 1; }
  bool isPlaying() const { return playing_.load(); }
  // Frames of the animation (1 for a still picture, 0 when empty).
  size_t frameCount() const { return frameCount_; }
  // The GIF's logical screen or the still picture's own size.
  QSize pictureSize() const { return pictureSize_; }

  // The colour used to clear the surface at load, for disposal 2 and after
  // the last frame. Until set, the palette's button colour at load time;
  // a transparent colour lets the parent show through. Applies from the
  // next load on.
  void setBackgroundColor(const QColor& colour) { backgroundOverride_ = colour; }
  QColor backgroundColor() const;

  // A copy of the surface, taken under the surface lock.
  QImage snapshot() const;

  QSize sizeHint() const override { return pictureSize_; }

 signals:
  // Emitted on the animation thread each time a frame has been drawn into
  // the surface, with the frame's index. Connect with a queued connection
  // for anything that touches widgets.
  void frameDrawn(int index);

 protected:
  void paintEvent(QPaintEvent* event) override;
  void showEvent(QShowEvent* event) override;
  void hideEvent(QHideEvent* event) override;

 private:
  void run();
  bool loadAnimation(const QByteArray& data);
  bool loadStill(const QByteArray& data, const char* format);
  void prepareSurface(std::vector<AnimFrame> frames);
  void followRepaints();

  // Written only by the GUI thread while no animation thread runs.
  bool initialised_ = false;
  size_t frameCount_ = 0;
  QSize pictureSize_;
  QImage still_;
  QColor background_;
  QColor backgroundOverride_;

  // The surface, the current frame and the disposal state. Guarded by
  // surfaceMutex_: the animation thread draws under it, painting and
  // snapshot() read under it.
  mutable std::mutex surfaceMutex_;
  GifAnimator animator_;

  // The exit request to the animation thread. Guarded by exitMutex_.
  std::mutex exitMutex_;
  std::condition_variable exitSignal_;
  bool exit_ = false;

  std::atomic<bool> playing_{false};
  // Set by the animation thread after each frame; the repaint timer, which
  // runs on the GUI thread while the control animates and is visible, takes
  // it and repaints. Polling keeps the thread from posting to the widget.
  std::atomic<bool> dirty_{false};
  QTimer repaintTimer_;
  // Started and joined by the GUI thread only.
  std::thread thread_;
};

}  // namespace tembra
