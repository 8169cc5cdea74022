#pragma once
#include <cstdint>

namespace tembra {

// A window that worker threads report to. post() queues the message on the
// window's thread and returns at once; send() blocks until the window's
// thread has handled it; alive() tells whether the window still exists.
// Message ids keep their historic values, which the window's handler and the
// workers both key on.
class MessageTarget {
 public:
  virtual ~MessageTarget() = default;
  virtual void post(uint32_t message, uintptr_t wParam, intptr_t lParam) = 0;
  virtual intptr_t send(uint32_t message, uintptr_t wParam, intptr_t lParam) = 0;
  virtual bool alive() const = 0;
};

inline constexpr uint32_t WM_TRAY_CALLBACK = 0x464;
inline constexpr uint32_t WM_CMD_CLOSE = 0x465;
inline constexpr uint32_t WM_CMD_UPGRADE = 0x466;
inline constexpr uint32_t WM_CMD_RESTORE = 0x467;
inline constexpr uint32_t WM_CMD_ABOUT = 0x468;
// The sources dialog, from the tray menu (a message of this program's own).
inline constexpr uint32_t WM_CMD_SOURCES = 0x4C9;
inline constexpr uint32_t WM_CMD_HOMEPAGE = 0x4C8;
inline constexpr uint32_t WM_BALLOON_CLICKED = 0x52C;
inline constexpr uint32_t WM_UDP_NOTICE = 0x52D;
inline constexpr uint32_t WM_AD_UPDATED = 0x591;
inline constexpr uint32_t WM_GUIDE_NOWPLAYING = 0x659;
inline constexpr uint32_t WM_GUIDE_UPCOMING = 0x65A;
inline constexpr uint32_t WM_GUIDE_FIRSTDAY = 0x65B;
inline constexpr uint32_t WM_GUIDE_SECONDDAY = 0x65C;
inline constexpr uint32_t WM_GUIDE_THIRDDAY = 0x65D;
inline constexpr uint32_t WM_CATALOGUE_LOADED = 0x6BD;

}  // namespace tembra
