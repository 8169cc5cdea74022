#pragma once
#include <string>
#include <string_view>

class QWindow;

namespace tembra {

// Moments of the start-up written for the start-up benchmark, one line each
// ("<name> <CLOCK_MONOTONIC microseconds>[ <detail>]"), to the file named by
// the environment variable TEMBRA_STARTUP_TRACE. Without that variable
// nothing is written and nothing is measured.
class StartupTrace {
 public:
  // The main window's dynamic property, set true once the slow parts it
  // makes after its first frame (the player, the web panes) are made: the
  // event-loop probe counts the delays until then as start-up.
  static constexpr const char* kSettledProperty = "startupSettled";

  static bool enabled();
  // Marks name once, when window has been drawn for the first time after
  // being shown (its first exposure, once the paint it starts is done).
  static void markFirstPicture(QWindow* window, const char* name);
  static void mark(std::string_view name, std::string_view detail = {});
  // The same rule with the file given (tests).
  static bool markIn(const std::string& path, std::string_view name, std::string_view detail);
};

}  // namespace tembra
