#pragma once
// The test's own X display (Xvfb, 1280 x 800) and what a user does on it,
// through xdotool and ImageMagick's import: find a window by its title,
// read its place, click, double-click, type keys, take screenshots.
#include <QImage>

#include <cstdint>
#include <string>
#include <vector>

#include "platform/PixelRect.h"
#include "mainwnd/XvfbServer.h"

struct xcb_connection_t;

namespace tembra::test {

class XSession {
 public:
  static constexpr int kWidth = 1280, kHeight = 800;

  XSession();
  ~XSession();
  XSession(const XSession&) = delete;
  XSession& operator=(const XSession&) = delete;
  // False when Xvfb or one of the tools is missing; reason() says which.
  bool usable() const { return reason_.empty(); }
  const std::string& reason() const { return reason_; }
  const std::string& display() const { return server_.display(); }

  // Mapped windows whose title matches the regular expression; topmost last.
  std::vector<std::string> windows(const std::string& titleRegex) const;
  // Mapped windows of a process (by _NET_WM_PID) that are windows of their
  // own (children of the root), not windows embedded in them.
  std::vector<std::string> windowsOf(long pid) const;
  // The windows embedded in window that are on the screen.
  std::vector<std::string> shownChildren(const std::string& window) const;
  // The first such window within timeoutMs, else empty.
  std::string waitForWindow(const std::string& titleRegex, int timeoutMs) const;
  bool waitUntilGone(const std::string& titleRegex, int timeoutMs) const;
  // The window's rectangle on the screen (empty rectangle when unknown).
  PixelRect geometry(const std::string& window) const;

  bool click(int x, int y) const;
  bool doubleClick(int x, int y) const;
  // Presses the left button at (x1, y1), moves to (x2, y2) in a few steps
  // and lets go there.
  bool drag(int x1, int y1, int x2, int y2) const;
  // Gives window the keyboard focus, then types the keys (xdotool names:
  // "Next", "Prior", "Return", "F11", ...).
  bool key(const std::string& window, const std::string& keys) const;
  bool focus(const std::string& window) const;
  // Resizes the window as a window manager would (a configure request).
  bool resize(const std::string& window, int width, int height) const;
  bool move(const std::string& window, int x, int y) const;
  // Takes the window off the screen and puts it back (without a window
  // manager this is what minimising amounts to).
  bool unmap(const std::string& window) const;
  bool map(const std::string& window) const;
  // The screen as an image, read straight from the X server (cheap enough
  // to poll without loading the machine the program runs on); a null image
  // on failure.
  QImage grab() const;
  // The screen saved to path as PNG with ImageMagick's import, as a user
  // would take it; a null image on failure.
  QImage screenshot(const std::string& path) const;

  // Maps a plain window of this test over the rectangle, on top of every
  // other; its id, or empty. It goes with the session.
  std::string cover(const PixelRect& rect);
  // Children of the root window in stacking order, bottom first.
  std::vector<std::string> stackingOrder() const;
  // True when window a is stacked above window b.
  bool above(const std::string& a, const std::string& b) const;

 private:
  std::string run(const std::vector<std::string>& argv, bool* ok = nullptr, int timeoutMs = 20000) const;

  XvfbServer server_;
  std::string reason_;
  // window's children, bottom first; with mappedOnly, those on the screen.
  std::vector<std::string> childrenOf(uint32_t window, bool mappedOnly) const;

  xcb_connection_t* connection_ = nullptr;  // for grab()
  uint32_t root_ = 0;
};

}  // namespace tembra::test
