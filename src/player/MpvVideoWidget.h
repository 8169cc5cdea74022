#pragma once
#include <QElapsedTimer>
#include <QOpenGLWidget>
#include <QTimer>
#include <array>
#include <atomic>
#include <cstdint>
#include <memory>

namespace tembra {

class MpvSession;
class TextureCopier;
class VideoRenderer;

// Shows the active session's video. The player switches channels between
// two sessions; a VideoRenderer draws both sessions' frames on a thread of
// its own, and this widget only copies the latest finished picture into
// its framebuffer, scaled to its size while a new size is being drawn. It
// only renders: the sessions own their handles.
class MpvVideoWidget : public QOpenGLWidget {
  Q_OBJECT
 public:
  static constexpr int kSessions = 2;
  // The longest a picture waits for the window's thread (about 10 pictures a
  // second at worst).
  static constexpr qint64 kMaxPaceMs = 100;

  MpvVideoWidget(std::array<MpvSession*, kSessions> sessions, QWidget* parent = nullptr);
  ~MpvVideoWidget() override;

  void setActive(int index);
  int active() const { return active_; }
  // Pictures put on the widget since it was created (the screenshot test
  // waits for some before it grabs).
  int framesDrawn() const { return framesDrawn_; }

 protected:
  void initializeGL() override;
  void paintGL() override;
  void showEvent(QShowEvent* event) override;

 private slots:
  void onPicture();

 private:
  void attachSessions();
  void onSwapped();
  void detach(int index);
  void releaseGL();

  // GUI thread only, except pictureQueued_.
  std::array<MpvSession*, kSessions> sessions_;
  std::unique_ptr<VideoRenderer> renderer_;  // made with the widget's context
  std::unique_ptr<TextureCopier> copier_;    // in the widget's context
  int active_ = 0;
  int framesDrawn_ = 0;
  uint64_t lastPicture_ = 0;
  // What putting the last picture on the screen cost the window's thread
  // (from painting it until the window was swapped), and since when it is
  // done: the next one waits at least as long, so that with a slow
  // software compositor the window's thread still has half its time for
  // everything else (input, resizing, timers).
  QElapsedTimer presenting_;
  QElapsedTimer sincePresented_;
  qint64 presentCostMs_ = 0;
  QTimer pace_;
  // Set by the render thread when it posts onPicture, cleared by it on the
  // GUI thread, so a busy window gets one pending call, not a queue.
  std::atomic<bool> pictureQueued_{false};
};

}  // namespace tembra
