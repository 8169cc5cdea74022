#pragma once
#include <cstdint>

namespace tembra {

// A window that worker threads report to. post() queues the message on the
// window's thread and returns at once; send() blocks until the window's
// thread has handled it; alive() tells whether the window still exists.
// Message ids keep their historic values (WM_CATALOGUE_LOADED = 0x6BD ...).
class MessageTarget {
 public:
  virtual ~MessageTarget() = default;
  virtual void post(uint32_t message, uintptr_t wParam, intptr_t lParam) = 0;
  virtual intptr_t send(uint32_t message, uintptr_t wParam, intptr_t lParam) = 0;
  virtual bool alive() const = 0;
};

inline constexpr uint32_t WM_CATALOGUE_LOADED = 0x6BD;

}  // namespace tembra
