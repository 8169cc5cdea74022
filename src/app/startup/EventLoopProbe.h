#pragma once
#include <QElapsedTimer>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QTimer>

#include <cstdint>
#include <memory>

class QWidget;

namespace tembra {

// A watchdog of the GUI thread's event loop, off unless asked for: a 10 ms
// timer records how late it fires, and the worst lateness is written to a
// file as "worst_ms N" (then "ticks N", the number of ticks measured), so
// end-to-end tests can prove the window never froze.
//
// It watches by itself for the main window: measuring starts when the first
// top-level widget of type or object name "TembraPlayerWnd" is shown, and
// pauses while that window is hidden (minimised to nothing, closing), where
// a stall cannot be seen. The file is replaced atomically every second and
// once more when the probe ends (at quit or destruction).
class EventLoopProbe : public QObject {
 public:
  static constexpr int kPeriodMs = 10;
  static constexpr int kWriteEveryMs = 1000;
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
  int64_t ticks() const { return ticks_; }
  bool measuring() const { return timer_.isActive(); }
  const QString& path() const { return path_; }

  // Rewrites the file now (temporary file + rename). False when it cannot.
  bool write() const;

  // True for the widget this probe waits for.
  static bool isMainWindow(const QObject* object);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void resume();
  void pause();
  void tick();

  QString path_;
  QTimer timer_;
  QElapsedTimer clock_;
  QPointer<QWidget> window_;
  int64_t lastTickNs_ = 0;
  int64_t lastWriteNs_ = 0;
  int64_t worstNs_ = 0;
  int64_t ticks_ = 0;
  bool everMeasured_ = false;
};

}  // namespace tembra
