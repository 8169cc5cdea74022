#pragma once
#include <atomic>

#include "platform/UniqueFd.h"

namespace tembra {

// Raised once when the guide goes away: a running exchange watches fd()
// beside its socket, so it ends at once instead of at its time limit.
class GuideStopSignal {
 public:
  GuideStopSignal();
  void Raise();
  bool raised() const { return raised_.load(std::memory_order_acquire); }
  // Readable once raised; -1 when no descriptor could be had (then only
  // the time limits end an exchange).
  int fd() const { return fd_.get(); }

 private:
  std::atomic<bool> raised_{false};
  UniqueFd fd_;
};

}  // namespace tembra
