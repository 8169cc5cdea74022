#include "e2e/XSession.h"

#include <xcb/xcb.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <sstream>
#include <thread>

#include "e2e/Command.h"

namespace tembra::test {

namespace {

std::vector<std::string> lines(const std::string& text) {
  std::vector<std::string> out;
  std::istringstream in(text);
  for (std::string l; std::getline(in, l);)
    if (!l.empty()) out.push_back(l);
  return out;
}

}  // namespace

XSession::XSession() : server_(std::to_string(kWidth) + "x" + std::to_string(kHeight) + "x24") {
  for (const char* tool : {"xdotool", "xwininfo"})
    if (findProgram(tool).empty()) reason_ = std::string(tool) + " is missing (scripts/setup installs it)";
  if (::access("/usr/bin/import", X_OK) != 0) reason_ = "/usr/bin/import (ImageMagick) is missing";
  if (server_.display().empty()) {
    reason_ = "Xvfb did not start";
    return;
  }
  connection_ = xcb_connect(display().c_str(), nullptr);
  if (xcb_connection_has_error(connection_)) {
    reason_ = "cannot connect to " + display();
    return;
  }
  root_ = xcb_setup_roots_iterator(xcb_get_setup(connection_)).data->root;
}

XSession::~XSession() {
  if (connection_) xcb_disconnect(connection_);
}

QImage XSession::grab() const {
  if (!connection_ || xcb_connection_has_error(connection_)) return {};
  auto cookie = xcb_get_image(connection_, XCB_IMAGE_FORMAT_Z_PIXMAP, root_, 0, 0, kWidth, kHeight, ~0u);
  xcb_get_image_reply_t* reply = xcb_get_image_reply(connection_, cookie, nullptr);
  if (!reply) return {};
  QImage image;
  // Depth 24 comes as 32 bits a pixel, blue first: Qt's RGB32 on this
  // little-endian machine.
  const int length = xcb_get_image_data_length(reply);
  if (reply->depth == 24 && length == kWidth * kHeight * 4)
    image = QImage(xcb_get_image_data(reply), kWidth, kHeight, kWidth * 4, QImage::Format_RGB32).copy();
  std::free(reply);
  return image;
}

std::string XSession::run(const std::vector<std::string>& argv, bool* ok, int timeoutMs) const {
  const CommandResult r = runCommand(argv, {{"DISPLAY", display()}}, timeoutMs);
  if (ok) *ok = r.ok();
  return r.out;
}

std::vector<std::string> XSession::windows(const std::string& titleRegex) const {
  return lines(run({"xdotool", "search", "--onlyvisible", "--name", titleRegex}));
}

std::vector<std::string> XSession::windowsOf(long pid) const {
  // The program's pages are windows inside its window, with its pid too:
  // only the root's children are windows of their own.
  const std::vector<std::string> top = stackingOrder();
  std::vector<std::string> out;
  for (const std::string& w : lines(run({"xdotool", "search", "--onlyvisible", "--pid", std::to_string(pid)})))
    if (std::find(top.begin(), top.end(), w) != top.end()) out.push_back(w);
  return out;
}

std::vector<std::string> XSession::shownChildren(const std::string& window) const {
  return childrenOf(static_cast<xcb_window_t>(std::stoul(window)), true);
}

std::vector<std::string> XSession::childrenOf(uint32_t window, bool mappedOnly) const {
  std::vector<std::string> out;
  if (!connection_) return out;
  xcb_query_tree_reply_t* tree = xcb_query_tree_reply(connection_, xcb_query_tree(connection_, window), nullptr);
  if (!tree) return out;
  const xcb_window_t* children = xcb_query_tree_children(tree);
  for (int i = 0; i < xcb_query_tree_children_length(tree); ++i) {
    if (mappedOnly) {
      xcb_get_window_attributes_reply_t* a =
          xcb_get_window_attributes_reply(connection_, xcb_get_window_attributes(connection_, children[i]), nullptr);
      const bool viewable = a && a->map_state == XCB_MAP_STATE_VIEWABLE;
      std::free(a);
      if (!viewable) continue;
    }
    out.push_back(std::to_string(children[i]));
  }
  std::free(tree);
  return out;
}

std::string XSession::waitForWindow(const std::string& titleRegex, int timeoutMs) const {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  do {
    auto found = windows(titleRegex);
    if (!found.empty()) return found.front();
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  } while (std::chrono::steady_clock::now() < deadline);
  return {};
}

bool XSession::waitUntilGone(const std::string& titleRegex, int timeoutMs) const {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  do {
    if (windows(titleRegex).empty()) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  } while (std::chrono::steady_clock::now() < deadline);
  return false;
}

PixelRect XSession::geometry(const std::string& window) const {
  int x = 0, y = 0, w = 0, h = 0;
  for (const auto& l : lines(run({"xdotool", "getwindowgeometry", "--shell", window}))) {
    const auto eq = l.find('=');
    if (eq == std::string::npos) continue;
    const std::string k = l.substr(0, eq);
    const int v = std::atoi(l.c_str() + eq + 1);
    if (k == "X") x = v;
    else if (k == "Y") y = v;
    else if (k == "WIDTH") w = v;
    else if (k == "HEIGHT") h = v;
  }
  return PixelRect{x, y, x + w, y + h};
}

bool XSession::click(int x, int y) const {
  bool ok = false;
  run({"xdotool", "mousemove", "--sync", std::to_string(x), std::to_string(y), "click", "1"}, &ok);
  return ok;
}

bool XSession::doubleClick(int x, int y) const {
  bool ok = false;
  run({"xdotool", "mousemove", "--sync", std::to_string(x), std::to_string(y), "click", "--repeat", "2",
       "--delay", "90", "1"},
      &ok);
  return ok;
}

bool XSession::drag(int x1, int y1, int x2, int y2) const {
  bool ok = false;
  std::vector<std::string> argv{"xdotool", "mousemove", "--sync", std::to_string(x1), std::to_string(y1), "mousedown", "1"};
  for (int step = 1; step <= 4; ++step) {
    for (const std::string& part : {std::string("mousemove"), std::string("--sync"),
                                    std::to_string(x1 + (x2 - x1) * step / 4), std::to_string(y1 + (y2 - y1) * step / 4),
                                    std::string("sleep"), std::string("0.05")})
      argv.push_back(part);
  }
  argv.insert(argv.end(), {"mouseup", "1"});
  run(argv, &ok);
  return ok;
}

bool XSession::resize(const std::string& window, int width, int height) const {
  bool ok = false;
  run({"xdotool", "windowsize", window, std::to_string(width), std::to_string(height)}, &ok);
  return ok;
}

bool XSession::move(const std::string& window, int x, int y) const {
  bool ok = false;
  run({"xdotool", "windowmove", "--sync", window, std::to_string(x), std::to_string(y)}, &ok);
  return ok;
}

bool XSession::unmap(const std::string& window) const {
  bool ok = false;
  run({"xdotool", "windowunmap", "--sync", window}, &ok, 5000);
  return ok;
}

bool XSession::map(const std::string& window) const {
  bool ok = false;
  run({"xdotool", "windowmap", "--sync", window}, &ok, 5000);
  return ok;
}

bool XSession::focus(const std::string& window) const {
  bool ok = false;
  run({"xdotool", "windowfocus", "--sync", window}, &ok, 5000);
  return ok;
}

bool XSession::key(const std::string& window, const std::string& keys) const {
  if (!focus(window)) return false;
  // One argument per key: xdotool takes "Down Return" as one unknown name.
  std::vector<std::string> args = {"xdotool", "key", "--delay", "60"};
  std::istringstream names(keys);
  for (std::string name; names >> name;) args.push_back(name);
  bool ok = false;
  run(args, &ok);
  return ok;
}

QImage XSession::screenshot(const std::string& path) const {
  bool ok = false;
  run({"/usr/bin/import", "-window", "root", path}, &ok, 30000);
  if (!ok) return {};
  return QImage(QString::fromStdString(path)).convertToFormat(QImage::Format_RGB32);
}

std::string XSession::cover(const PixelRect& rect) {
  if (!connection_) return {};
  const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(connection_)).data;
  const uint32_t window = xcb_generate_id(connection_);
  const uint32_t values[] = {screen->black_pixel};
  xcb_create_window(connection_, XCB_COPY_FROM_PARENT, window, root_, static_cast<int16_t>(rect.left),
                    static_cast<int16_t>(rect.top), static_cast<uint16_t>(rect.width()),
                    static_cast<uint16_t>(rect.height()), 0, XCB_WINDOW_CLASS_INPUT_OUTPUT, screen->root_visual,
                    XCB_CW_BACK_PIXEL, values);
  const char title[] = "e2e cover";
  xcb_change_property(connection_, XCB_PROP_MODE_REPLACE, window, XCB_ATOM_WM_NAME, XCB_ATOM_STRING, 8,
                      sizeof title - 1, title);
  xcb_map_window(connection_, window);
  const uint32_t top[] = {XCB_STACK_MODE_ABOVE};
  xcb_configure_window(connection_, window, XCB_CONFIG_WINDOW_STACK_MODE, top);
  // A round trip: the window is mapped and on top when this returns.
  free(xcb_get_input_focus_reply(connection_, xcb_get_input_focus(connection_), nullptr));
  return std::to_string(window);
}

std::vector<std::string> XSession::stackingOrder() const { return childrenOf(root_, false); }

bool XSession::above(const std::string& a, const std::string& b) const {
  const auto order = stackingOrder();
  const auto ia = std::find(order.begin(), order.end(), a), ib = std::find(order.begin(), order.end(), b);
  return ia != order.end() && ib != order.end() && ia > ib;
}

}  // namespace tembra::test
