#include "record/RecordingName.h"

#include <sys/stat.h>

#include <cstdlib>
#include <ctime>
#include <fstream>

#include "platform/XdgFolders.h"

namespace tembra {

namespace {

bool exists(const std::string& path) {
  struct stat st{};
  return ::lstat(path.c_str(), &st) == 0;
}

std::string trimmed(std::string_view text) {
  const size_t first = text.find_first_not_of(' ');
  if (first == std::string_view::npos) return {};
  const size_t last = text.find_last_not_of(' ');
  return std::string(text.substr(first, last - first + 1));
}

// The value of XDG_VIDEOS_DIR in user-dirs.dirs: "$HOME/..." or an
// absolute path, in double quotes; empty when it is not there or not one
// of those.
std::string videosFromUserDirs(const std::string& file, const std::string& home) {
  std::ifstream in(file);
  std::string line;
  size_t lines = 0;
  while (std::getline(in, line) && ++lines < 1000) {
    constexpr std::string_view key = "XDG_VIDEOS_DIR=";
    const std::string text = trimmed(line);
    if (text.rfind(key, 0) != 0) continue;
    std::string value = text.substr(key.size());
    if (value.size() < 2 || value.front() != '"' || value.back() != '"') return {};
    value = value.substr(1, value.size() - 2);
    if (value.rfind("$HOME", 0) == 0) value = home + value.substr(5);
    if (value.empty() || value.front() != '/') return {};
    // The tool that writes the file sets the folder to $HOME to mean
    // "none"; recordings then go to the default.
    if (value == home || value == home + "/") return {};
    while (value.size() > 1 && value.back() == '/') value.pop_back();
    return value;
  }
  return {};
}

}  // namespace

std::string RecordingName::safeName(std::string_view channel) {
  std::string out;
  out.reserve(channel.size());
  for (const char c : channel) {
    const auto u = static_cast<unsigned char>(c);
    if (c == '/' || c == '\\' || u < 0x20 || u == 0x7f) out += ' ';
    else out += c;
  }
  std::string name = trimmed(out);
  while (!name.empty() && (name.front() == '.' || name.front() == ' ')) name.erase(0, 1);
  if (name.size() > kMaxNameBytes) {
    size_t cut = kMaxNameBytes;
    // Not inside a UTF-8 sequence: back to the byte that starts one.
    while (cut > 0 && (static_cast<unsigned char>(name[cut]) & 0xC0) == 0x80) --cut;
    name = trimmed(name.substr(0, cut));
  }
  return name.empty() ? "Channel" : name;
}

std::string RecordingName::fileName(std::string_view channel, int64_t utcSeconds) {
  const auto t = static_cast<std::time_t>(utcSeconds);
  std::tm local{};
  localtime_r(&t, &local);
  char stamp[32];
  std::strftime(stamp, sizeof stamp, "%Y-%m-%d %H-%M", &local);
  return safeName(channel) + " - " + stamp + ".ts";
}

std::string RecordingName::videosFolder(const std::string& home, const std::string& configHome) {
  std::string h = home;
  if (h.empty()) {
    const char* env = std::getenv("HOME");
    h = env != nullptr ? env : "";
  }
  const std::string config = configHome.empty() ? XdgFolders::configHome() : configHome;
  const std::string fromFile = videosFromUserDirs(config + "/user-dirs.dirs", h);
  if (!fromFile.empty()) return fromFile;
  return h + "/Videos";
}

std::string RecordingName::folder(const std::string& home, const std::string& configHome) {
  return videosFolder(home, configHome) + "/" + std::string(kSubfolder);
}

std::string RecordingName::unusedPath(const std::string& folder, const std::string& name) {
  const std::string first = folder + "/" + name;
  if (!exists(first)) return first;
  const size_t dot = name.rfind('.');
  const std::string stem = dot == std::string::npos ? name : name.substr(0, dot);
  const std::string extension = dot == std::string::npos ? "" : name.substr(dot);
  for (int n = 2; n < 1000; ++n) {
    const std::string path = folder + "/" + stem + " (" + std::to_string(n) + ")" + extension;
    if (!exists(path)) return path;
  }
  return {};
}

}  // namespace tembra
