#pragma once
#include <QImage>
#include <QSize>
#include <array>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>

struct mpv_handle;
struct mpv_render_context;
class QThread;

namespace tembra {

// Draws the sessions' video with mpv's software renderer on a thread of its
// own, into pictures in memory that the widget paints like any image. The
// window then needs no OpenGL composition: with software OpenGL, composing
// a full-screen window took 20-25 ms of the window's thread for every
// picture and for every change of its size, and kept a core busy; a
// picture drawn here costs the window's thread one copy. mpv may also wait
// for a frame's display time inside its render call, which must not hold
// up the window's thread either.
//
// Three pictures rotate: the latest finished one, the one the widget holds
// (it may be painting it), and the one being drawn, so neither side ever
// waits for the other to finish a picture.
class VideoRenderer {
 public:
  static constexpr int kSessions = 2;
  static constexpr int kPictures = 3;
  // mpv's fast paths want the rows and the first pixel on 64-byte bounds.
  static constexpr int kRowAlign = 64;

  // A finished picture (null: none yet) and its number (1 for the first
  // picture, then counting up). Its pixels stay as they are until the next
  // acquire: keep it no longer.
  struct Picture {
    QImage image;
    uint64_t number = 0;
  };

  // pictureReady runs on the render thread after each finished picture and
  // must only post.
  explicit VideoRenderer(std::function<void()> pictureReady);
  // Frees every render context and stops the thread.
  ~VideoRenderer();
  VideoRenderer(const VideoRenderer&) = delete;
  VideoRenderer& operator=(const VideoRenderer&) = delete;

  // Creates session index's render context for handle on the render thread
  // (no-op when one exists); returns once it exists.
  void attach(int index, mpv_handle* handle);
  // Frees session index's render context; returns only once it is freed,
  // so the handle may be destroyed after.
  void detach(int index);
  bool attached(int index) const;

  // Which session's pictures are drawn (the other's frames are taken and
  // dropped so that its playback never waits for a picture); the size in
  // pixels to draw them at; shown false: the widget cannot be seen, so
  // pictures are dropped too. Each change redraws the current frame.
  void setActive(int index);
  void setSize(QSize pixels);
  void setShown(bool shown);

  // The latest finished picture, kept from the renderer until the next call.
  Picture acquire();

 private:
  struct Slot {
    mpv_render_context* render = nullptr;  // render thread only
    bool attached = false;                 // guarded by mutex_
    bool update = false;                   // guarded by mutex_: mpv asked for a look
  };
  struct Surface {
    // Its pixels: written by the render thread only while the surface is
    // neither latest_ nor held_, read by the widget only while it is held_.
    QImage image;
    uint64_t number = 0;  // guarded by mutex_
  };
  struct Wake {
    VideoRenderer* renderer;
    int index;
  };

  static void updateCallback(void* context);
  void run();
  // Runs job on the render thread; waits for it when wait is set.
  void post(std::function<void()> job, bool wait);
  void freeRender(int index);
  void draw(int index, bool redraw);
  // One render call into pixels (size, bytes per row) in the pictures'
  // format; skip takes the frame without drawing it. False when mpv fails.
  static bool render(mpv_render_context* render, QSize size, size_t stride, void* pixels, bool skip);
  int pickSurface(const QSize& size) const;

  std::function<void()> pictureReady_;  // set once, before the thread starts
  QThread* thread_ = nullptr;
  std::array<Wake, kSessions> wakes_;  // set once, before the thread starts

  mutable std::mutex mutex_;
  std::condition_variable wake_;  // with mutex_
  // Everything below: guarded by mutex_.
  std::array<Slot, kSessions> slots_;
  std::array<Surface, kPictures> surfaces_;
  std::deque<std::function<void()>> jobs_;
  int active_ = 0;
  QSize size_{1, 1};
  bool shown_ = true;
  bool redraw_ = false;  // the active session's frame is wanted again
  bool running_ = false;
  bool stopping_ = false;
  int latest_ = -1;  // the surface of the latest finished picture
  int held_ = -1;    // the surface the widget holds
  uint64_t pictures_ = 0;
};

}  // namespace tembra
