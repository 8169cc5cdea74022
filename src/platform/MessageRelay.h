#pragma once
#include <shared_mutex>

#include "platform/MessageTarget.h"

namespace tembra {

// Hands a worker's messages on to a window until the window lets go of it.
// A thread that is never joined (its request cannot be cut short) keeps the
// relay alive, never the window: once detach() has returned, nothing more
// reaches the window, and the thread's late messages are dropped.
class MessageRelay : public MessageTarget {
 public:
  explicit MessageRelay(MessageTarget* to) : to_(to) {}

  // Waits for a message being handed on (the window's send returns at once
  // once it is closing), then drops every later one.
  void detach();

  void post(uint32_t message, uintptr_t wParam, intptr_t lParam) override;
  intptr_t send(uint32_t message, uintptr_t wParam, intptr_t lParam) override;
  bool alive() const override;

 private:
  mutable std::shared_mutex lock_;
  MessageTarget* to_;  // guarded by lock_ (exclusive to change it)
};

}  // namespace tembra
