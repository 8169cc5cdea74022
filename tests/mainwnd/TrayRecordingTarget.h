#pragma once
// The main window as the tray icon, the tray menu and the dialogs see it:
// a MessageTarget that records every post and send in order, and answers
// sends with onSend (0 when unset) on the caller's thread.
#include <cstdint>
#include <functional>
#include <ostream>
#include <vector>

#include "platform/MessageTarget.h"

namespace tembra::test {

struct TrayMessage {
  bool sent = false;  // send(), else post()
  uint32_t message = 0;
  uintptr_t wParam = 0;
  intptr_t lParam = 0;
  bool operator==(const TrayMessage&) const = default;
};

inline TrayMessage posted(uint32_t message, uintptr_t wParam = 0, intptr_t lParam = 0) {
  return {false, message, wParam, lParam};
}
inline TrayMessage sentMsg(uint32_t message, uintptr_t wParam = 0, intptr_t lParam = 0) {
  return {true, message, wParam, lParam};
}

inline std::ostream& operator<<(std::ostream& os, const TrayMessage& m) {
  return os << (m.sent ? "send(" : "post(") << "0x" << std::hex << m.message << std::dec << ", " << m.wParam << ", "
            << m.lParam << ")";
}

class TrayRecordingTarget : public MessageTarget {
 public:
  void post(uint32_t message, uintptr_t wParam, intptr_t lParam) override {
    messages.push_back(posted(message, wParam, lParam));
    if (onPost) onPost(messages.back());
  }
  intptr_t send(uint32_t message, uintptr_t wParam, intptr_t lParam) override {
    messages.push_back(sentMsg(message, wParam, lParam));
    return onSend ? onSend(messages.back()) : 0;
  }
  bool alive() const override { return true; }

  std::vector<TrayMessage> messages;
  std::function<void(const TrayMessage&)> onPost;
  std::function<intptr_t(const TrayMessage&)> onSend;
};

}  // namespace tembra::test
