#pragma once
#include <QRect>
#include <QSize>

#include <functional>
#include <optional>

namespace tembra {

class CWindowWnd;
struct WindowState;

// The main window's modes: information panel shown or hidden, maximised or
// restored, always on top, minimised. The size arithmetic is PanelModes';
// this applies it to the window and its skin buttons.
//
// A maximised window covers the available area of its screen (task bars
// and docks left free) also where no window manager does it; leaving that
// state puts the window back where it was, corrected by the panel width
// when the panel was shown or hidden meanwhile.
class WindowModes {
 public:
  // relayout runs the window's pixel layout at its current size.
  WindowModes(CWindowWnd& window, WindowState& state, std::function<void()> relayout);

  void HidePanel();
  void ShowPanel();
  // The maximise button: remembers the size to come back to, maximises.
  void Maximise();
  void Restore();
  void Minimise();
  // A double click on the caption: Maximise, or Restore when maximised.
  void ToggleMaximise();
  void SetTopmost(bool on);
  bool topmost() const { return topmost_; }

  // The window's state changed from old: entering the maximised state runs
  // AfterMaximise, leaving it AfterRestore.
  void onStateChanged(Qt::WindowStates old);
  // The window's size changed (a window manager may still be applying a
  // restore of its own; the corrected size is kept).
  void onResized();
  // Where a maximised window goes: its screen's available geometry.
  QRect maximisedGeometry() const;

 private:
  void AfterMaximise();
  void AfterRestore();
  void setShown(const char* name, bool shown);

  CWindowWnd& window_;
  WindowState& state_;
  std::function<void()> relayout_;
  bool topmost_ = false;
  QRect normalGeometry_;
  // The size AfterRestore decided on, kept against a window manager that
  // puts back its own idea of the restored size a moment later.
  std::optional<QSize> restoreSize_;
};

}  // namespace tembra
