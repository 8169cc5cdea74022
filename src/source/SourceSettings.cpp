#include "source/SourceSettings.h"

#include <algorithm>

namespace tembra {

namespace {

std::string_view trim(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
  return text;
}

}  // namespace

std::vector<std::string> SourceSettings::splitList(std::string_view text) {
  std::vector<std::string> items;
  while (true) {
    const size_t comma = text.find(',');
    const std::string_view item = trim(text.substr(0, comma));
    if (!item.empty() && std::find(items.begin(), items.end(), item) == items.end()) items.emplace_back(item);
    if (comma == std::string_view::npos) break;
    text.remove_prefix(comma + 1);
  }
  return items;
}

std::string SourceSettings::joinList(const std::vector<std::string>& items) {
  std::string text;
  for (const std::string& item : items) {
    if (!text.empty()) text += ',';
    text += item;
  }
  return text;
}

std::string SourceSettings::nameFor(const std::string& playlist) {
  std::string_view rest = playlist;
  const size_t scheme = rest.find("://");
  if (scheme != std::string_view::npos) {
    rest.remove_prefix(scheme + 3);
    const std::string_view host = rest.substr(0, rest.find_first_of("/?#"));
    const size_t at = host.rfind('@');  // never show credentials in a URL
    std::string_view path = rest.substr(host.size());
    path = path.substr(0, path.find_first_of("?#"));
    const std::string_view file = path.substr(path.rfind('/') == std::string_view::npos ? 0 : path.rfind('/') + 1);
    std::string name(at == std::string_view::npos ? host : host.substr(at + 1));
    if (!file.empty()) name += " " + std::string(file);
    return name.empty() ? std::string("Playlist") : name;
  }
  const std::string_view file = rest.substr(rest.rfind('/') == std::string_view::npos ? 0 : rest.rfind('/') + 1);
  return file.empty() ? std::string("Playlist") : std::string(file);
}

}  // namespace tembra
