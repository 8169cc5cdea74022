#pragma once
#include <cstdint>

namespace tembra {

// The window's own messages besides the program's (platform/MessageTarget.h):
// its two timers and the system commands. The window's message table keys
// them as it keys everything else, so each row is one entry point.
inline constexpr uint32_t WM_SYSCOMMAND = 0x0112;
inline constexpr uint32_t WM_TIMER = 0x0113;

// WM_SYSCOMMAND wParam values.
inline constexpr uintptr_t SC_MINIMIZE = 0xF020;
inline constexpr uintptr_t SC_MAXIMIZE = 0xF030;
inline constexpr uintptr_t SC_CLOSE = 0xF060;
inline constexpr uintptr_t SC_RESTORE = 0xF120;
inline constexpr uintptr_t SC_SCREENSAVE = 0xF140;
inline constexpr uintptr_t SC_MONITORPOWER = 0xF170;

// The guide grid over the video area, opened and closed (its caption
// button and the G key).
inline constexpr uint32_t WM_CMD_GUIDEGRID = 0x4CA;

// WM_TIMER wParam: the channel list's and the guide's count-down timers.
inline constexpr uintptr_t kListTimer = 1;
inline constexpr uintptr_t kGuideTimer = 2;

}  // namespace tembra
