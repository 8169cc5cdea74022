#pragma once
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>

namespace tembra {

// Set once when the service stops. Handlers that hold a connection (hangs,
// slow answers, endless streams) sleep on it so that a stop ends them at once.
class ShutdownFlag {
 public:
  void Trigger() {
    {
      std::lock_guard g(lock_);
      flag_ = true;
    }
    changed_.notify_all();
  }
  bool triggered() const { return flag_.load(); }
  const std::atomic<bool>& flag() const { return flag_; }

  // Sleeps for at most duration; true when the service is stopping.
  template <class Rep, class Period>
  bool WaitFor(std::chrono::duration<Rep, Period> duration) {
    std::unique_lock g(lock_);
    return changed_.wait_for(g, duration, [this] { return flag_.load(); });
  }

 private:
  std::mutex lock_;                   // pairs with changed_
  std::condition_variable changed_;
  std::atomic<bool> flag_{false};     // written under lock_, read anywhere
};

}  // namespace tembra
