#include "app/startup/EventLoopProbe.h"

#include <QCoreApplication>
#include <QEvent>
#include <QFile>
#include <QWidget>
#include <QWindow>

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <string_view>
#include <typeinfo>

#include "mainwnd/StartupTrace.h"

namespace tembra {

std::unique_ptr<EventLoopProbe> EventLoopProbe::fromEnvironment() {
  const QString path = qEnvironmentVariable(kEnvironmentVariable);
  if (path.isEmpty()) return nullptr;
  return std::make_unique<EventLoopProbe>(path);
}

EventLoopProbe::EventLoopProbe(QString path) : path_(std::move(path)) {
  clock_.start();
  // Opened here, on the GUI thread that runs the ticks: thread-self names
  // the opening thread.
  schedstat_ = ::open("/proc/thread-self/schedstat", O_RDONLY | O_CLOEXEC);
  timer_.setTimerType(Qt::PreciseTimer);
  timer_.setInterval(kPeriodMs);
  QObject::connect(&timer_, &QTimer::timeout, this, [this] { tick(); });
  if (auto* app = QCoreApplication::instance()) {
    // Until the main window appears every event passes by here; after that
    // the filter sits on the window alone.
    app->installEventFilter(this);
    QObject::connect(app, &QCoreApplication::aboutToQuit, this, [this] {
      pause();
      write();
    });
  }
}

EventLoopProbe::~EventLoopProbe() {
  if (auto* app = QCoreApplication::instance()) app->removeEventFilter(this);
  if (window_) window_->removeEventFilter(this);
  if (surface_) surface_->removeEventFilter(this);
  pause();
  write();
  if (schedstat_ >= 0) ::close(schedstat_);
}

int64_t EventLoopProbe::runQueueWaitNs() const {
  // "<time on a CPU> <time waiting on a run queue> <time slices>", in ns.
  char text[96];
  if (schedstat_ < 0) return -1;
  const ssize_t n = ::pread(schedstat_, text, sizeof text - 1, 0);
  if (n <= 0) return -1;
  text[n] = '\0';
  unsigned long long onCpu = 0, waiting = 0;
  if (std::sscanf(text, "%llu %llu", &onCpu, &waiting) != 2) return -1;
  return static_cast<int64_t>(waiting);
}

bool EventLoopProbe::isMainWindow(const QObject* object) {
  if (object == nullptr) return false;
  if (object->objectName() == QLatin1String(kWindowName)) return true;
  // The window class need not declare Q_OBJECT: its dynamic type names it.
  const std::string_view meta = object->metaObject()->className();
  if (meta.find(kWindowName) != std::string_view::npos) return true;
  const std::string_view type = typeid(*object).name();
  return type.find(kWindowName) != std::string_view::npos;
}

bool EventLoopProbe::eventFilter(QObject* watched, QEvent* event) {
  const QEvent::Type type = event->type();
  if (!window_) {
    if (type != QEvent::Show || !watched->isWidgetType()) return false;
    auto* widget = static_cast<QWidget*>(watched);
    if (!widget->isWindow() || !isMainWindow(widget)) return false;
    window_ = widget;
    if (auto* app = QCoreApplication::instance()) app->removeEventFilter(this);
    widget->installEventFilter(this);
    surface_ = widget->windowHandle();
    if (surface_) surface_->installEventFilter(this);
    awaitingExpose_ = true;
    firstShowNs_ = clock_.nsecsElapsed();
    return false;
  }
  if (watched == window_.data()) {
    if (type == QEvent::Show) awaitingExpose_ = true;
    else if (type == QEvent::Hide) pause();
    else if (type == QEvent::DynamicPropertyChange && !settled_ &&
             static_cast<QDynamicPropertyChangeEvent*>(event)->propertyName() == StartupTrace::kSettledProperty &&
             window_->property(StartupTrace::kSettledProperty).toBool())
      settle();
    return false;
  }
  if (watched == surface_.data() && type == QEvent::Expose && awaitingExpose_ && surface_->isExposed()) {
    awaitingExpose_ = false;
    // Queued: the expose paints and presents the window's first frame;
    // measuring starts once that is done and the window is on the screen.
    QTimer::singleShot(0, this, [this] {
      if (window_ && window_->isVisible()) resume();
    });
  }
  return false;
}

void EventLoopProbe::settle() {
  // The stretch up to now is the start-up's: its worst goes apart, and
  // the figures start again from here.
  if (timer_.isActive()) tick();
  settled_ = true;
  settleNs_ = worstNs_;
  settleOwnNs_ = worstOwnNs_;
  worstNs_ = worstOwnNs_ = 0;
  write();
}

void EventLoopProbe::resume() {
  if (timer_.isActive()) return;
  lastTickNs_ = clock_.nsecsElapsed();
  lastWaitNs_ = runQueueWaitNs();
  if (!everMeasured_) {
    lastWriteNs_ = lastTickNs_;
    shownNs_ = lastTickNs_;
    firstFrameNs_ = lastTickNs_ - firstShowNs_;
  }
  everMeasured_ = true;
  timer_.start();
}

void EventLoopProbe::pause() {
  if (!timer_.isActive()) return;
  // The stretch since the last tick counts: a stall that ends in the hide
  // (say, a blocking close step before the window goes) is still a stall.
  tick();
  timer_.stop();
}

void EventLoopProbe::tick() {
  const int64_t now = clock_.nsecsElapsed();
  const int64_t late = now - lastTickNs_ - int64_t{kPeriodMs} * 1000000;
  const int64_t waitNs = runQueueWaitNs();
  const int64_t waited = waitNs >= 0 && lastWaitNs_ >= 0 ? waitNs - lastWaitNs_ : 0;
  const int64_t own = std::max<int64_t>(0, late - waited);
  worstNs_ = std::max(worstNs_, late);
  worstOwnNs_ = std::max(worstOwnNs_, own);
  recentOwnNs_ = std::max(recentOwnNs_, own);
  if (late >= int64_t{kReportMs} * 1000000) {
    // Where a stall happened, for whoever reads the program's output
    // beside the test that failed.
    std::fprintf(stderr, "event loop: %lld ms late (%lld ms of it waiting for a CPU) at %lld ms after the show\n",
                 static_cast<long long>(late / 1000000), static_cast<long long>(waited / 1000000),
                 static_cast<long long>((now - shownNs_) / 1000000));
  }
  lastTickNs_ = now;
  lastWaitNs_ = waitNs;
  ++ticks_;
  if (now - lastWriteNs_ >= int64_t{kWriteEveryMs} * 1000000) {
    lastWriteNs_ = now;
    write();
  }
}

bool EventLoopProbe::write() {
  if (!everMeasured_) return false;
  const int64_t recent = recentOwnNs_;
  recentOwnNs_ = 0;
  ++writes_;
  const QByteArray text = "worst_ms " + QByteArray::number(static_cast<qint64>(worstMs())) + "\nworst_own_ms " +
                          QByteArray::number(static_cast<qint64>(worstOwnMs())) + "\nticks " +
                          QByteArray::number(static_cast<qint64>(ticks_)) + "\nfirst_frame_ms " +
                          QByteArray::number(static_cast<qint64>(firstFrameMs())) + "\nrecent_own_ms " +
                          QByteArray::number(static_cast<qint64>(recent / 1000000)) + "\nwrites " +
                          QByteArray::number(static_cast<qint64>(writes_)) + "\nsettled " + (settled_ ? "1" : "0") +
                          "\nsettle_ms " + QByteArray::number(static_cast<qint64>(settleNs_ / 1000000)) +
                          "\nsettle_own_ms " + QByteArray::number(static_cast<qint64>(settleOwnNs_ / 1000000)) +
                          "\n";
  // Replaced by a rename, so a reader never sees half a file; not synced
  // to the disk: a lost figure is harmless, while a sync here, on the
  // thread being measured, waits for the disk and showed up as a stall of
  // its own (12 ms seen while the demo service wrote its streams).
  const QString partial = path_ + QStringLiteral(".part");
  QFile file(partial);
  if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) return false;
  const bool written = file.write(text) == text.size() && file.flush();
  file.close();
  return written && ::rename(QFile::encodeName(partial).constData(), QFile::encodeName(path_).constData()) == 0;
}

}  // namespace tembra
