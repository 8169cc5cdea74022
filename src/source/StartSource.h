#pragma once
#include <optional>
#include <string>

#include "source/SourceList.h"

namespace tembra {

// Which source a start opens:
//  - a playlist named on the command line (a file path or a URL), added to
//    the user's sources when new, else the known source with that address;
//  - else the source used last;
//  - else, with no source kept at all, the operator's service when its
//    config.ini names servers;
//  - else nothing: the first-run page asks for a playlist.
class StartSource {
 public:
  enum class Kind { Operator, Playlist, FirstRun };
  struct Choice {
    Kind kind = Kind::FirstRun;
    SourceSettings settings;  // the chosen source (an operator source may have no entry: empty id)
    bool added = false;       // the command line's playlist was new to the list
  };

  // Updates the list (a new playlist, the last used) but does not save it.
  static Choice choose(SourceList& list, const std::optional<std::string>& argument, bool operatorConfigured);
  // A relative file path made absolute against the working folder; URLs and
  // absolute paths as they are.
  static std::string absoluteLocation(const std::string& location, const std::string& workingFolder);
};

}  // namespace tembra
