#pragma once
#include <QSize>
#include <array>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>

struct mpv_handle;
struct mpv_render_context;
class QOffscreenSurface;
class QOpenGLContext;
class QOpenGLExtraFunctions;
class QThread;

namespace tembra {

// Draws the sessions' video with mpv's OpenGL render API on a thread of its
// own, into textures of a context that shares objects with the widget's.
// With software OpenGL one picture takes tens of milliseconds, and mpv may
// wait for a frame's display time inside its render call: on the window's
// thread that held every resize, full-screen change and repaint of the
// window up behind it. The widget only copies the latest finished picture.
//
// Three pictures rotate: the latest finished one, the one the widget holds
// (it may still be reading it), and the one being drawn, so neither side
// ever waits for the other to finish a picture.
class VideoRenderer {
 public:
  static constexpr int kSessions = 2;
  static constexpr int kPictures = 3;

  // A finished picture: a texture of the share group (0: none yet), its size
  // in pixels, and its number (1 for the first picture, then counting up).
  struct Picture {
    unsigned texture = 0;
    QSize size;
    uint64_t number = 0;
  };

  // The size to draw a video of size video at for a widget of size widget
  // (both in pixels): the widget's, except that a video it would enlarge is
  // drawn at its own scale, keeping the widget's shape, and enlarged when the
  // picture is copied. mpv's own enlarging is no sharper, and a software
  // renderer then fills a quarter of the pixels in full screen. An unknown
  // video size gives the widget's.
  static QSize TargetSize(QSize widget, QSize video);

  // Call on the GUI thread with share current or not; pictureReady runs on
  // the render thread after each finished picture and must only post.
  VideoRenderer(QOpenGLContext* share, std::function<void()> pictureReady);
  // Frees every render context and stops the thread (GUI thread).
  ~VideoRenderer();
  VideoRenderer(const VideoRenderer&) = delete;
  VideoRenderer& operator=(const VideoRenderer&) = delete;

  // False when the thread's context could not be made: nothing is drawn.
  bool valid() const;

  // Creates session index's render context for handle on the render thread
  // (no-op when one exists or the renderer is not valid). Returns at once.
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

  // GUI thread, with the widget's context current: the latest finished
  // picture, kept from the renderer until the next call; after drawing it,
  // pass a fence the renderer waits for before it draws into it again.
  Picture acquire();
  void release(void* fence);

 private:
  struct Slot {
    mpv_render_context* render = nullptr;  // render thread only
    bool attached = false;                 // guarded by mutex_
    bool update = false;                   // guarded by mutex_: mpv asked for a look
  };
  struct Surface {
    // The objects and their size: written by the render thread only while
    // the surface is neither latest_ nor held_, read by the widget under
    // mutex_ only while it is latest_ (so the lock orders the two).
    unsigned framebuffer = 0;
    unsigned texture = 0;
    QSize size;
    // Guarded by mutex_: the number of the picture it holds, and the
    // widget's fence after it last read it (deleted by the renderer).
    uint64_t number = 0;
    void* fence = nullptr;
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
  int pickSurface(const QSize& size);
  void prepare(Surface& surface, const QSize& size);
  // Deletes the surface's objects (its fence too) and forgets its size.
  void freeSurface(Surface& surface);

  std::function<void()> pictureReady_;  // set once, before the thread starts
  QOffscreenSurface* offscreen_ = nullptr;  // made and destroyed on the GUI thread
  QOpenGLContext* context_ = nullptr;       // render thread's once it runs
  QOpenGLExtraFunctions* gl_ = nullptr;     // render thread only
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
  bool valid_ = false;
  int latest_ = -1;  // the surface of the latest finished picture
  int held_ = -1;    // the surface the widget holds
  uint64_t pictures_ = 0;
};

}  // namespace tembra
