#include "platform/MessageRelay.h"

#include <mutex>

namespace tembra {

void MessageRelay::detach() {
  std::unique_lock guard(lock_);
  to_ = nullptr;
}

void MessageRelay::post(uint32_t message, uintptr_t wParam, intptr_t lParam) {
  std::shared_lock guard(lock_);
  if (to_ != nullptr) to_->post(message, wParam, lParam);
}

intptr_t MessageRelay::send(uint32_t message, uintptr_t wParam, intptr_t lParam) {
  std::shared_lock guard(lock_);
  return to_ != nullptr ? to_->send(message, wParam, lParam) : 0;
}

bool MessageRelay::alive() const {
  std::shared_lock guard(lock_);
  return to_ != nullptr && to_->alive();
}

}  // namespace tembra
