#pragma once
#include <QWidget>
#include <array>
#include <atomic>
#include <cstdint>
#include <memory>

namespace tembra {

class MpvSession;
class VideoRenderer;

// Shows the active session's video. The player switches channels between
// two sessions; a VideoRenderer draws both sessions' frames on a thread of
// its own, and this widget only paints the latest finished picture, scaled
// to its size while a new size is being drawn. It only renders: the
// sessions own their handles.
class MpvVideoWidget : public QWidget {
  Q_OBJECT
 public:
  static constexpr int kSessions = 2;

  MpvVideoWidget(std::array<MpvSession*, kSessions> sessions, QWidget* parent = nullptr);
  ~MpvVideoWidget() override;

  void setActive(int index);
  int active() const { return active_; }
  // Gives every initialised session its render context: mpv gives up the
  // video of a file loaded before its session has one.
  void attachSessions();
  // Pictures put on the widget since it was created (the screenshot test
  // waits for some before it grabs).
  int framesDrawn() const { return framesDrawn_; }

 protected:
  void paintEvent(QPaintEvent* event) override;
  void showEvent(QShowEvent* event) override;

 private slots:
  void onPicture();

 private:
  void detach(int index);

  // GUI thread only, except pictureQueued_.
  std::array<MpvSession*, kSessions> sessions_;
  std::unique_ptr<VideoRenderer> renderer_;
  int active_ = 0;
  int framesDrawn_ = 0;
  uint64_t lastPicture_ = 0;
  // Set by the render thread when it posts onPicture, cleared by it on the
  // GUI thread, so a busy window gets one pending call, not a queue.
  std::atomic<bool> pictureQueued_{false};
};

}  // namespace tembra
