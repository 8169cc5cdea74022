#include "source/SourceList.h"

#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdlib>

#include "platform/AtomicFile.h"
#include "platform/ProfileFile.h"
#include "platform/Utf.h"
#include "platform/XdgFolders.h"

namespace tembra {

namespace {

// Long enough for any address a playlist or guide could have.
constexpr size_t kValueChars = 64 * 1024;

std::string read(const std::string& path, const std::string& section, const char16_t* key) {
  return toUtf8(ProfileFile::ReadString(path, fromUtf8(section), key, u"", kValueChars));
}

// Values are written in quotes when spaces at their ends or quotes would
// otherwise be lost; a line break would end the value, so it is dropped.
std::string line(const char* key, std::string value) {
  std::erase_if(value, [](char c) { return c == '\r' || c == '\n' || c == '\0'; });
  const bool quote = !value.empty() && (value.front() == ' ' || value.back() == ' ' || value.front() == '"' ||
                                        value.front() == '\t' || value.back() == '\t');
  return std::string(key) + "=" + (quote ? "\"" + value + "\"" : value) + "\n";
}

std::string formatHours(double hours) {
  char text[32];
  std::snprintf(text, sizeof text, "%g", hours);
  return text;
}

const char* kindName(SourceKind kind) {
  switch (kind) {
    case SourceKind::Operator:
      return "operator";
    case SourceKind::Xtream:
      return "xtream";
    case SourceKind::Playlist:
      break;
  }
  return "playlist";
}

}  // namespace

std::string SourceList::defaultPath() { return XdgFolders::configHome() + "/tembra/sources.ini"; }

SourceList::SourceList(std::string path) : path_(std::move(path)) {}

bool SourceList::load() {
  sources_.clear();
  lastUsed_.clear();
  nextId_ = 1;
  unreadable_ = false;
  struct stat info {};
  if (::stat(path_.c_str(), &info) != 0) {
    unreadable_ = errno != ENOENT;
    return !unreadable_;
  }
  if (!S_ISREG(info.st_mode) || info.st_size > static_cast<off_t>(ProfileFile::kMaxFileBytes)) {
    unreadable_ = true;
    return false;
  }
  for (const std::string& id : SourceSettings::splitList(read(path_, "tembra", u"order"))) {
    const std::string section = "source." + id;
    SourceSettings source;
    source.id = id;
    source.name = read(path_, section, u"name");
    const std::string kind = read(path_, section, u"kind");
    if (kind == "operator") source.kind = SourceKind::Operator;
    else if (kind == "playlist") source.kind = SourceKind::Playlist;
    else if (kind == "xtream") source.kind = SourceKind::Xtream;
    else continue;  // a kind this version does not know is left alone
    source.playlist = read(path_, section, u"playlist");
    source.guides = SourceSettings::splitList(read(path_, section, u"guides"));
    const std::string offset = read(path_, section, u"offset");
    char* end = nullptr;
    const double hours = std::strtod(offset.c_str(), &end);
    if (end != offset.c_str() && std::isfinite(hours) && std::fabs(hours) <= 24) source.offsetHours = hours;
    source.userAgent = read(path_, section, u"useragent");
    if (source.kind == SourceKind::Xtream) {
      source.server = read(path_, section, u"server");
      source.user = read(path_, section, u"user");
      source.passwordStored = read(path_, section, u"secret") == "1";
      if (!source.passwordStored) source.password = read(path_, section, u"password");
      if (source.server.empty() || source.user.empty()) continue;
    }
    if (source.kind == SourceKind::Playlist && source.playlist.empty()) continue;
    sources_.push_back(std::move(source));
  }
  lastUsed_ = read(path_, "tembra", u"last");
  nextId_ = std::max(1ul, std::strtoul(read(path_, "tembra", u"next").c_str(), nullptr, 10));
  if (find(lastUsed_) == nullptr) lastUsed_.clear();
  return true;
}

bool SourceList::save() const {
  if (unreadable_) return false;
  std::vector<std::string> ids;
  for (const SourceSettings& source : sources_) ids.push_back(source.id);
  std::string text = "[tembra]\n" + line("order", SourceSettings::joinList(ids)) + line("last", lastUsed_) +
                     line("next", std::to_string(nextId_));
  for (const SourceSettings& source : sources_) {
    text += "\n[source." + source.id + "]\n";
    text += line("name", source.name);
    text += line("kind", kindName(source.kind));
    if (source.kind == SourceKind::Xtream) {
      text += line("server", source.server);
      text += line("user", source.user);
      // The file is the user's alone (mode 0600); a password the secret
      // store keeps never lands in it.
      if (source.passwordStored) text += line("secret", "1");
      else text += line("password", source.password);
    }
    text += line("playlist", source.playlist);
    text += line("guides", SourceSettings::joinList(source.guides));
    text += line("offset", formatHours(source.offsetHours));
    text += line("useragent", source.userAgent);
  }
  const size_t slash = path_.rfind('/');
  if (slash != std::string::npos && slash > 0 && !XdgFolders::ensure(path_.substr(0, slash))) return false;
  return replaceFileAtomically(path_, text, 0600);
}

const SourceSettings* SourceList::find(const std::string& id) const {
  auto it = std::find_if(sources_.begin(), sources_.end(), [&](const SourceSettings& s) { return s.id == id; });
  return it == sources_.end() ? nullptr : &*it;
}

const SourceSettings* SourceList::findPlaylist(const std::string& location) const {
  auto it = std::find_if(sources_.begin(), sources_.end(), [&](const SourceSettings& s) {
    return s.kind == SourceKind::Playlist && s.playlist == location;
  });
  return it == sources_.end() ? nullptr : &*it;
}

const SourceSettings* SourceList::operatorSource() const {
  auto it = std::find_if(sources_.begin(), sources_.end(),
                         [](const SourceSettings& s) { return s.kind == SourceKind::Operator; });
  return it == sources_.end() ? nullptr : &*it;
}

std::string SourceList::add(SourceSettings source) {
  // Ids are never reused, so a removed source's cache is never taken for a
  // new one's.
  for (const SourceSettings& s : sources_) nextId_ = std::max(nextId_, std::strtoul(s.id.c_str(), nullptr, 10) + 1);
  source.id = std::to_string(nextId_++);
  sources_.push_back(std::move(source));
  return sources_.back().id;
}

bool SourceList::update(const SourceSettings& source) {
  auto it = std::find_if(sources_.begin(), sources_.end(), [&](const SourceSettings& s) { return s.id == source.id; });
  if (it == sources_.end()) return false;
  *it = source;
  return true;
}

bool SourceList::remove(const std::string& id) {
  const size_t before = sources_.size();
  std::erase_if(sources_, [&](const SourceSettings& s) { return s.id == id; });
  if (lastUsed_ == id) lastUsed_.clear();
  return sources_.size() != before;
}

}  // namespace tembra
