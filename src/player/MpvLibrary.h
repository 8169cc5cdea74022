#pragma once
#include <string>

namespace tembra {

// libmpv, opened the first time the player needs it instead of when the
// program starts: the library and the codec libraries it pulls in take the
// dynamic loader longer than everything else the program loads, and a
// window that never plays need not wait for them.
//
// MpvLibrary.cpp also defines every mpv_* function the program calls, each
// forwarding to the library's own; so the player's code calls libmpv's
// API as usual and only the first call pays for the load. When the library
// cannot be opened, mpv_create answers null (the player then shows that it
// could not start) and every other call fails with an mpv error code.
class MpvLibrary {
 public:
  // The names tried, in order: the one the program was built against, then
  // the unversioned development link.
  static constexpr const char* kNames[] = {"libmpv.so.2", "libmpv.so"};

  // Opens the library once (thread-safe); true when it is open.
  static bool load();
  // Opened already; never opens it.
  static bool loaded();
  // Why it could not be opened; empty while nothing failed.
  static std::string error();
  // The library's own function of that name; null when the library or the
  // function is missing.
  static void* symbol(const char* name);
};

}  // namespace tembra
