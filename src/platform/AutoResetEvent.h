#pragma once
#include <chrono>
#include <condition_variable>
#include <mutex>

namespace tembra {

// An event that releases one waiter per set() and then resets itself; sets
// that arrive while nobody waits collapse into one.
class AutoResetEvent {
 public:
  void set();
  void wait();
  // False when the time ran out before the event was set.
  bool waitFor(std::chrono::milliseconds timeout);

 private:
  std::mutex mutex_;
  std::condition_variable cv_;
  bool signalled_ = false;  // guarded by mutex_
};

}  // namespace tembra
