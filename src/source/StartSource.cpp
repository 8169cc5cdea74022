#include "source/StartSource.h"

namespace tembra {

std::string StartSource::absoluteLocation(const std::string& location, const std::string& workingFolder) {
  if (location.empty() || location.front() == '/' || location.find("://") != std::string::npos) return location;
  std::string folder = workingFolder;
  if (!folder.empty() && folder.back() != '/') folder += '/';
  std::string_view rest = location;
  while (rest.substr(0, 2) == "./") rest.remove_prefix(2);
  return folder + std::string(rest);
}

StartSource::Choice StartSource::choose(SourceList& list, const std::optional<std::string>& argument,
                                        bool operatorConfigured) {
  Choice choice;
  if (argument && !argument->empty()) {
    choice.kind = Kind::Playlist;
    if (const SourceSettings* known = list.findPlaylist(*argument)) {
      choice.settings = *known;
    } else {
      SourceSettings fresh;
      fresh.kind = SourceKind::Playlist;
      fresh.playlist = *argument;
      fresh.name = SourceSettings::nameFor(*argument);
      const std::string id = list.add(fresh);
      choice.settings = *list.find(id);
      choice.added = true;
    }
    list.setLastUsed(choice.settings.id);
    return choice;
  }
  if (const SourceSettings* last = list.find(list.lastUsed())) {
    choice.settings = *last;
    choice.kind = last->kind == SourceKind::Operator ? Kind::Operator : Kind::Playlist;
    return choice;
  }
  if (list.sources().empty()) {
    choice.kind = operatorConfigured ? Kind::Operator : Kind::FirstRun;
    return choice;
  }
  // Sources kept but none marked as last: the first of them.
  choice.settings = list.sources().front();
  choice.kind = choice.settings.kind == SourceKind::Operator ? Kind::Operator : Kind::Playlist;
  list.setLastUsed(choice.settings.id);
  return choice;
}

}  // namespace tembra
