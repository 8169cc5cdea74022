#pragma once
#include <string>

namespace tembra {

// The folder of the running executable, ending in '/'. Start-up records it
// once (record()); until then folder() is empty and readers of files beside
// the executable find nothing, as they must before start-up. Tests and tools
// may point it elsewhere with set().
class ModulePath {
 public:
  // Records the folder of /proc/self/exe. Returns the folder recorded.
  static std::string record();
  static void set(std::string folder);
  static std::string folder();
};

}  // namespace tembra
