#include "e2e/XSession.h"

#include <chrono>
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
  if (server_.display().empty()) reason_ = "Xvfb did not start";
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
  return lines(run({"xdotool", "search", "--onlyvisible", "--pid", std::to_string(pid)}));
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

bool XSession::focus(const std::string& window) const {
  bool ok = false;
  run({"xdotool", "windowfocus", "--sync", window}, &ok, 5000);
  return ok;
}

std::string XSession::focusedWindow() const {
  const auto l = lines(run({"xdotool", "getwindowfocus"}));
  return l.empty() ? std::string() : l.front();
}

bool XSession::key(const std::string& window, const std::string& keys) const {
  if (!focus(window)) return false;
  bool ok = false;
  run({"xdotool", "key", "--delay", "60", keys}, &ok);
  return ok;
}

QImage XSession::screenshot(const std::string& path) const {
  bool ok = false;
  run({"/usr/bin/import", "-window", "root", path}, &ok, 30000);
  if (!ok) return {};
  return QImage(QString::fromStdString(path)).convertToFormat(QImage::Format_RGB32);
}

std::string XSession::rootWindow() const {
  // "xwininfo: Window id: 0x1ba (the root window) (has no name)"
  const std::string info = run({"xwininfo", "-root"});
  const auto at = info.find("Window id: 0x");
  if (at == std::string::npos) return {};
  return std::to_string(std::stoul(info.substr(at + 11), nullptr, 16));
}

std::vector<std::string> XSession::stackingOrder() const {
  // "0x400001 "title": ..." lines, topmost first in xwininfo's listing.
  std::vector<std::string> out;
  for (const auto& l : lines(run({"xwininfo", "-root", "-children"}))) {
    const auto start = l.find("0x");
    if (start == std::string::npos || l.find("\"") == std::string::npos) continue;
    const std::string hex = l.substr(start, l.find(' ', start) - start);
    out.insert(out.begin(), std::to_string(std::stoul(hex, nullptr, 16)));
  }
  return out;
}

}  // namespace tembra::test
