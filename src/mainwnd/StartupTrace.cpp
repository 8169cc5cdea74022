#include "mainwnd/StartupTrace.h"

#include <QEvent>
#include <QTimer>
#include <QWindow>

#include <fcntl.h>
#include <time.h>
#include <unistd.h>

#include <cstdlib>

namespace tembra {

namespace {
const char* tracePath() {
  const char* path = std::getenv("TEMBRA_STARTUP_TRACE");
  return path != nullptr && *path != '\0' ? path : nullptr;
}
// Watches one window for its first exposure; the paint that exposure starts
// has run by the next turn of the event loop.
class FirstPictureWatch : public QObject {
 public:
  FirstPictureWatch(QWindow* window, const char* name) : QObject(window), name_(name) {
    window->installEventFilter(this);
  }
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::Expose && static_cast<QWindow*>(watched)->isExposed()) {
      watched->removeEventFilter(this);
      QTimer::singleShot(0, this, [this] {
        StartupTrace::mark(name_);
        deleteLater();
      });
    }
    return false;
  }

 private:
  const char* name_;
};

}  // namespace

void StartupTrace::markFirstPicture(QWindow* window, const char* name) {
  if (enabled() && window != nullptr) new FirstPictureWatch(window, name);
}

bool StartupTrace::enabled() { return tracePath() != nullptr; }

void StartupTrace::mark(std::string_view name, std::string_view detail) {
  if (const char* path = tracePath()) markIn(path, name, detail);
}

bool StartupTrace::markIn(const std::string& path, std::string_view name, std::string_view detail) {
  timespec now{};
  ::clock_gettime(CLOCK_MONOTONIC, &now);
  const long long micros = static_cast<long long>(now.tv_sec) * 1000000 + now.tv_nsec / 1000;
  std::string line(name);
  line += ' ';
  line += std::to_string(micros);
  if (!detail.empty()) {
    line += ' ';
    line += detail;
  }
  line += '\n';
  // One write per line with O_APPEND, so a reader never sees half a line
  // from this writer.
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0600);
  if (fd < 0) return false;
  const bool ok = ::write(fd, line.data(), line.size()) == static_cast<ssize_t>(line.size());
  ::close(fd);
  return ok;
}

}  // namespace tembra
