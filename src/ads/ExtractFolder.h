#pragma once
#include <string>
#include <string_view>
#include <vector>

#include "platform/UniqueFd.h"

namespace tembra {

// The file-system side of unpacking: folders are opened and created one
// level at a time below a base folder, never following a symbolic link, so
// that no member name and no link already lying in the folder can make a
// write land outside it.
class ExtractFolder {
 public:
  // Splits a relative path at '\' and '/'. Empty and "." steps are dropped.
  // False for a ".." step or a NUL character, which no member may hold.
  static bool SplitName(std::string_view relative, std::vector<std::string>& parts);

  // Opens base (created with its missing parents when absent; the caller's
  // own path, so links in it are followed) and then the first `count` steps
  // of parts below it, creating the missing ones. An invalid descriptor
  // when any step cannot be created or opened, or is not a real folder.
  static UniqueFd OpenFolders(const std::string& base, const std::vector<std::string>& parts,
                              size_t count);

  // mkdir -p for the caller's own path.
  static bool MakePath(const std::string& path);
};

}  // namespace tembra
