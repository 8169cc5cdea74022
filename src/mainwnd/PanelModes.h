#pragma once
#include <optional>

#include "platform/PixelRect.h"
#include "mainwnd/WindowState.h"

namespace tembra {

// The size arithmetic of the window's modes: information panel shown or
// hidden, maximised or restored. Each call updates the fields of the window
// state and says what the window must apply; the window does the showing,
// hiding, resizing and the layout run.
class PanelModes {
 public:
  struct Change {
    PixelSize minimum;  // the window's new minimum size
    PixelSize window;   // the window's new size (unchanged while maximised)
  };

  // Hides the panel: the minimum width drops by the panel width, a normal
  // window gets narrower by it, a maximised one keeps its size; panelWidth
  // becomes 0. Nothing when the panel is already hidden (a second hide would
  // otherwise raise the minimum back while the panel stays hidden).
  static std::optional<Change> hidePanel(WindowState& state, PixelSize current, bool maximised);
  // Shows the panel with savedPanelWidth: the reverse of hidePanel. Nothing
  // when it is already shown (the window would widen on every call).
  static std::optional<Change> showPanel(WindowState& state, PixelSize current, bool maximised);

  // The minimum window size for the panel mode the state is in.
  static PixelSize minimumSize(const WindowState& state);

  // Before maximising from the normal state (maximise button, double click
  // on the caption): the size to come back to.
  static void rememberRestoreSize(WindowState& state, PixelSize client);
  static void afterMaximise(WindowState& state);
  // After leaving the maximised state: when the panel was shown or hidden
  // while maximised, the stored restore size is corrected by the panel width
  // and returned for the window to apply; otherwise the system's restored
  // size stands and nothing is returned.
  static std::optional<PixelSize> afterRestore(const WindowState& state);
};

}  // namespace tembra
