#include "guide/GuideStopSignal.h"

#include <sys/eventfd.h>
#include <unistd.h>

#include <cstdint>

namespace tembra {

GuideStopSignal::GuideStopSignal() : fd_(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)) {}

void GuideStopSignal::Raise() {
  raised_.store(true, std::memory_order_release);
  if (fd_) {
    const uint64_t one = 1;
    (void)!::write(fd_.get(), &one, sizeof one);
  }
}

}  // namespace tembra
