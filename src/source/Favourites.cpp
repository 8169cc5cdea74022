#include "source/Favourites.h"

#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <fstream>
#include <iterator>
#include <unordered_map>
#include <unordered_set>

#include "platform/AtomicFile.h"
#include "platform/Utf.h"
#include "platform/XdgFolders.h"

namespace tembra {

namespace {

// Tabs, line breaks and '%' inside an id or name would break the line
// apart; they are written as %09, %0A, %0D and %25.
std::string escape(std::u16string_view text) {
  std::string out;
  for (char c : toUtf8(text)) {
    switch (c) {
      case '%': out += "%25"; break;
      case '\t': out += "%09"; break;
      case '\n': out += "%0A"; break;
      case '\r': out += "%0D"; break;
      case '\0': break;
      default: out.push_back(c);
    }
  }
  return out;
}

int hexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

std::u16string unescape(std::string_view text) {
  std::string out;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '%' && i + 2 < text.size() && hexDigit(text[i + 1]) >= 0 && hexDigit(text[i + 2]) >= 0) {
      out.push_back(static_cast<char>(hexDigit(text[i + 1]) * 16 + hexDigit(text[i + 2])));
      i += 2;
    } else {
      out.push_back(text[i]);
    }
  }
  return fromUtf8(out);
}

std::string_view trim(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\r')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\r')) s.remove_suffix(1);
  return s;
}

bool sameAscii(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return (x >= 'A' && x <= 'Z' ? x + 32 : x) == (y >= 'A' && y <= 'Z' ? y + 32 : y);
         });
}

void addUnique(std::vector<Favourites::Channel>& list, Favourites::Channel channel, size_t limit) {
  if (channel.id.empty() || list.size() >= limit) return;
  for (const auto& c : list)
    if (c.id == channel.id) return;
  list.push_back(std::move(channel));
}

}  // namespace

std::string Favourites::pathFor(const std::string& sourceId) {
  std::string id = sourceId.empty() ? std::string("default") : sourceId;
  for (char& c : id) {
    const bool ok = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' || c == '_';
    if (!ok) c = '_';
  }
  return XdgFolders::configHome() + "/tembra/favourites-" + id + ".ini";
}

Favourites::Favourites(std::string path) : path_(std::move(path)) {}

Favourites::Loaded Favourites::load() {
  favourites_.clear();
  recent_.clear();
  resumeLast_ = true;
  unreadable_ = false;
  if (path_.empty()) return Loaded::Missing;
  struct stat info {};
  if (::stat(path_.c_str(), &info) != 0) {
    unreadable_ = errno != ENOENT;
    return unreadable_ ? Loaded::Unreadable : Loaded::Missing;
  }
  std::ifstream in(path_, std::ios::binary);
  if (!S_ISREG(info.st_mode) || info.st_size > static_cast<off_t>(kMaxFileBytes) || !in) {
    unreadable_ = true;
    return Loaded::Unreadable;
  }
  std::string text(static_cast<size_t>(info.st_size), '\0');
  in.read(text.data(), static_cast<std::streamsize>(text.size()));
  text.resize(static_cast<size_t>(std::max<std::streamsize>(0, in.gcount())));
  if (in.bad()) {
    unreadable_ = true;
    return Loaded::Unreadable;
  }

  enum class Section { None, General, Favourites, Recent, Other } section = Section::None;
  bool sawSection = false;
  size_t at = 0;
  while (at < text.size()) {
    size_t end = text.find('\n', at);
    if (end == std::string::npos) end = text.size();
    const std::string_view line = trim(std::string_view(text).substr(at, end - at));
    at = end + 1;
    if (line.empty() || line.front() == ';' || line.front() == '#') continue;
    if (line.front() == '[') {
      const size_t close = line.find(']');
      const std::string_view name = trim(line.substr(1, close == std::string_view::npos ? line.size() - 1 : close - 1));
      sawSection = true;
      section = sameAscii(name, "general")      ? Section::General
                : sameAscii(name, "favourites") ? Section::Favourites
                : sameAscii(name, "recent")     ? Section::Recent
                                                : Section::Other;
      continue;
    }
    const size_t eq = line.find('=');
    if (eq == std::string_view::npos) continue;
    const std::string_view key = trim(line.substr(0, eq));
    const std::string_view value = trim(line.substr(eq + 1));
    if (section == Section::General && sameAscii(key, "resume_last")) {
      resumeLast_ = value != "0";
    } else if ((section == Section::Favourites || section == Section::Recent) && sameAscii(key, "channel")) {
      const size_t tab = value.find('\t');
      Channel c{unescape(value.substr(0, tab)), tab == std::string_view::npos ? std::u16string() : unescape(value.substr(tab + 1))};
      if (section == Section::Favourites) addUnique(favourites_, std::move(c), kMaxFavourites);
      else addUnique(recent_, std::move(c), kRecentLimit);
    }
  }
  // Text without a single section is not a file of ours (a wrong file put
  // there, a half-written foreign one): keep it rather than replace it.
  if (!sawSection && !trim(text).empty()) {
    favourites_.clear();
    recent_.clear();
    resumeLast_ = true;
    unreadable_ = true;
    return Loaded::Unreadable;
  }
  return Loaded::Read;
}

std::string Favourites::text() const {
  std::string text = "[general]\nresume_last=";
  text += resumeLast_ ? "1\n" : "0\n";
  text += "\n[favourites]\n";
  for (const Channel& c : favourites_) text += "channel=" + escape(c.id) + "\t" + escape(c.name) + "\n";
  text += "\n[recent]\n";
  for (const Channel& c : recent_) text += "channel=" + escape(c.id) + "\t" + escape(c.name) + "\n";
  return text;
}

bool Favourites::writeText(const std::string& path, const std::string& text) {
  const size_t slash = path.rfind('/');
  if (slash != std::string::npos && slash > 0 && !XdgFolders::ensure(path.substr(0, slash))) return false;
  return replaceFileAtomically(path, text, 0600);
}

bool Favourites::isFavourite(std::u16string_view id) const {
  return std::any_of(favourites_.begin(), favourites_.end(), [&](const Channel& c) { return c.id == id; });
}

bool Favourites::toggle(const Channel& channel) {
  auto it = std::find_if(favourites_.begin(), favourites_.end(), [&](const Channel& c) { return c.id == channel.id; });
  if (it != favourites_.end()) {
    favourites_.erase(it);
    return false;
  }
  if (channel.id.empty() || favourites_.size() >= kMaxFavourites) return false;
  favourites_.push_back(channel);
  return true;
}

bool Favourites::move(std::u16string_view id, int step) {
  auto it = std::find_if(favourites_.begin(), favourites_.end(), [&](const Channel& c) { return c.id == id; });
  if (it == favourites_.end() || (step != -1 && step != 1)) return false;
  const auto from = std::distance(favourites_.begin(), it);
  const auto to = from + step;
  if (to < 0 || to >= static_cast<std::ptrdiff_t>(favourites_.size())) return false;
  std::swap(favourites_[static_cast<size_t>(from)], favourites_[static_cast<size_t>(to)]);
  return true;
}

void Favourites::noteWatched(const Channel& channel) {
  if (channel.id.empty()) return;
  std::erase_if(recent_, [&](const Channel& c) { return c.id == channel.id; });
  recent_.insert(recent_.begin(), channel);
  if (recent_.size() > kRecentLimit) recent_.resize(kRecentLimit);
}

bool Favourites::reconcile(const std::vector<Channel>& catalogue) {
  if (catalogue.empty()) return false;
  std::unordered_map<std::u16string_view, const Channel*> byId;
  std::unordered_map<std::u16string_view, const Channel*> byName;
  byId.reserve(catalogue.size());
  byName.reserve(catalogue.size());
  for (const Channel& c : catalogue) {
    byId.emplace(c.id, &c);
    byName.emplace(c.name, &c);
  }
  bool changed = false;
  auto update = [&](std::vector<Channel>& list) {
    std::unordered_set<std::u16string> taken;
    for (const Channel& e : list)
      if (byId.count(e.id) != 0) taken.insert(e.id);
    for (Channel& e : list) {
      if (auto found = byId.find(e.id); found != byId.end()) {
        if (e.name != found->second->name) {
          e.name = found->second->name;
          changed = true;
        }
        continue;
      }
      if (e.name.empty()) continue;
      auto named = byName.find(e.name);
      if (named == byName.end() || taken.count(named->second->id) != 0) continue;
      e.id = named->second->id;
      taken.insert(e.id);
      changed = true;
    }
  };
  update(favourites_);
  update(recent_);
  return changed;
}

}  // namespace tembra
