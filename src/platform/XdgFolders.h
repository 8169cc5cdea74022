#pragma once
#include <string>

namespace tembra {

// The user's folders by the XDG base directory rules: the variable when it
// holds an absolute path, else the default under $HOME. Each ends without '/'.
class XdgFolders {
 public:
  static std::string configHome();  // $XDG_CONFIG_HOME or ~/.config
  static std::string cacheHome();   // $XDG_CACHE_HOME or ~/.cache
  // Makes the folder and its parents (mode 0700 for those it makes); true
  // when it exists afterwards.
  static bool ensure(const std::string& folder);
};

}  // namespace tembra
