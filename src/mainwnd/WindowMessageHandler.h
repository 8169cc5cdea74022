#pragma once
#include <cstdint>

namespace tembra {

// The one entry point of the main window for the program's window
// messages (ids in platform/MessageTarget.h). Always called on the GUI
// thread; the result is what a send() returns.
class WindowMessageHandler {
 public:
  virtual ~WindowMessageHandler() = default;
  virtual intptr_t handleMessage(uint32_t message, uintptr_t wParam, intptr_t lParam) = 0;
};

}  // namespace tembra
