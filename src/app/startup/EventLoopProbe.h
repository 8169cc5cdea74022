#pragma once
#include <QElapsedTimer>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QTimer>

#include <cstdint>
#include <memory>

class QWidget;
class QWindow;

namespace tembra {

// A watchdog of the GUI thread's event loop, off unless asked for: a 10 ms
// timer records how late it fires, and the worst lateness is written to a
// file as "worst_ms N", so end-to-end tests can prove the window never
// froze. Then "worst_own_ms N": the worst lateness less the time the
// thread was ready to run but waiting for a CPU the machine gave to other
// processes (the kernel's run-queue wait of the thread), which is the
// program's own share of a stall on a busy machine (equal to worst_ms
// where the kernel does not tell); "ticks N", the ticks measured; and
// "first_frame_ms N", from the show to the first frame on the screen;
// "recent_own_ms N", the worst own share since the write before, and
// "writes N", which write this is: a test reads the stalls of one action
// of its own from the writes after it.
//
// It watches by itself for the main window: measuring starts when the first
// top-level widget of type or object name "TembraPlayerWnd" is on the
// screen (shown, and its first frame painted after the window system
// exposed it: the cost of that first frame is the start-up's, not a stall
// of a window the user sees), and pauses while that window is hidden
// (minimised to nothing, closing), where a stall cannot be seen. The slow
// parts the window makes after its first frame (the player, the web engine
// behind its idle page and ad pane: one-time costs that would otherwise
// hold back the first frame) are start-up too: once the window sets its
// dynamic property StartupTrace::kSettledProperty, the worst delays so far
// are kept apart as "settle_ms N" and "settle_own_ms N" ("settled 1"), and
// worst_ms and worst_own_ms count from there. The file
// is replaced atomically every second and once more when the probe ends
// (at quit or destruction). Each stall of kReportMs or more is also told
// on stderr, with its time since the show.
class EventLoopProbe : public QObject {
 public:
  static constexpr int kPeriodMs = 10;
  static constexpr int kWriteEveryMs = 1000;
  // Lateness from this much on is also reported on stderr, with when.
  static constexpr int kReportMs = 50;
  static constexpr const char* kWindowName = "TembraPlayerWnd";
  static constexpr const char* kEnvironmentVariable = "TEMBRA_LOOP_PROBE";

  // The probe the environment asks for: null when TEMBRA_LOOP_PROBE is unset
  // or empty. Call once QApplication exists.
  static std::unique_ptr<EventLoopProbe> fromEnvironment();

  // Measures for the file at path (written only once measuring began).
  explicit EventLoopProbe(QString path);
  ~EventLoopProbe() override;
  EventLoopProbe(const EventLoopProbe&) = delete;
  EventLoopProbe& operator=(const EventLoopProbe&) = delete;

  // Worst lateness in milliseconds so far, and the ticks measured.
  int64_t worstMs() const { return worstNs_ / 1000000; }
  int64_t worstOwnMs() const { return worstOwnNs_ / 1000000; }
  int64_t ticks() const { return ticks_; }
  // From the window's first show to its first frame on the screen.
  int64_t firstFrameMs() const { return firstFrameNs_ / 1000000; }
  bool measuring() const { return timer_.isActive(); }
  const QString& path() const { return path_; }

  // Rewrites the file now (temporary file + rename) and starts a new
  // stretch for "recent_own_ms". False when it cannot.
  bool write();

  // True for the widget this probe waits for.
  static bool isMainWindow(const QObject* object);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void resume();
  void settle();
  void pause();
  void tick();
  // The GUI thread's run-queue wait so far (ns), or -1 when unknown.
  int64_t runQueueWaitNs() const;

  QString path_;
  QTimer timer_;
  QElapsedTimer clock_;
  QPointer<QWidget> window_;
  QPointer<QWindow> surface_;  // window_'s window-system window
  bool awaitingExpose_ = false;
  int64_t lastTickNs_ = 0;
  int64_t lastWriteNs_ = 0;
  int64_t shownNs_ = 0;
  int64_t firstShowNs_ = 0;
  int64_t firstFrameNs_ = 0;
  int64_t worstNs_ = 0;
  int64_t worstOwnNs_ = 0;
  int64_t recentOwnNs_ = 0;  // since the last write
  int64_t writes_ = 0;
  int schedstat_ = -1;            // this thread's /proc schedstat, kept open
  int64_t lastWaitNs_ = -1;
  int64_t ticks_ = 0;
  bool everMeasured_ = false;
  bool settled_ = false;
  int64_t settleNs_ = 0;     // the worst delay before the window settled
  int64_t settleOwnNs_ = 0;
};

}  // namespace tembra
