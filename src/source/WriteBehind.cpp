#include "source/WriteBehind.h"

namespace tembra {

WriteBehind::WriteBehind(Write write) : write_(std::move(write)), thread_([this](std::stop_token stop) { run(stop); }) {}

WriteBehind::~WriteBehind() {
  thread_.request_stop();
  thread_.join();
}

void WriteBehind::submit(std::string text) {
  {
    std::lock_guard lock(mutex_);
    pending_ = std::move(text);
  }
  wake_.notify_one();
}

void WriteBehind::flush() {
  std::unique_lock lock(mutex_);
  idle_.wait(lock, [this] { return !pending_ && !busy_; });
}

int WriteBehind::writes() const {
  std::lock_guard lock(mutex_);
  return writes_;
}

int WriteBehind::failures() const {
  std::lock_guard lock(mutex_);
  return failures_;
}

// A stop still writes the text pending then: the window's end must not
// lose the last change.
void WriteBehind::run(std::stop_token stop) {
  std::unique_lock lock(mutex_);
  for (;;) {
    wake_.wait(lock, stop, [this] { return pending_.has_value(); });
    if (!pending_) {
      if (stop.stop_requested()) return;
      continue;
    }
    std::string text = std::move(*pending_);
    pending_.reset();
    busy_ = true;
    lock.unlock();
    const bool ok = write_(text);
    lock.lock();
    busy_ = false;
    ++writes_;
    if (!ok) ++failures_;
    if (!pending_) idle_.notify_all();
  }
}

}  // namespace tembra
