#include "platform/AutoResetEvent.h"

namespace tembra {

void AutoResetEvent::set() {
  {
    std::lock_guard g(mutex_);
    signalled_ = true;
  }
  cv_.notify_one();
}

void AutoResetEvent::wait() {
  std::unique_lock l(mutex_);
  cv_.wait(l, [this] { return signalled_; });
  signalled_ = false;
}

bool AutoResetEvent::waitFor(std::chrono::milliseconds timeout) {
  std::unique_lock l(mutex_);
  if (!cv_.wait_for(l, timeout, [this] { return signalled_; })) return false;
  signalled_ = false;
  return true;
}

}  // namespace tembra
