#pragma once
#include <string>
#include <string_view>
#include <unordered_map>
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

  // mkdir -p for the caller's own path.
  static bool MakePath(const std::string& path);

  // base: the caller's own path, so links in it are followed; it is
  // created with its missing parents at first use.
  explicit ExtractFolder(std::string base) : base_(std::move(base)) {}

  // The folder base + the first `count` steps of parts, each step opened
  // without following a link and created when missing. The descriptor
  // stays owned by this object (folders opened before are kept for the
  // members that follow); -1 when a step cannot be created or opened or is
  // not a real folder.
  int Open(const std::vector<std::string>& parts, size_t count);

 private:
  static constexpr size_t kMaxOpen = 64;

  std::string base_;
  std::unordered_map<std::string, UniqueFd> open_;  // by the steps joined with '/'
};

}  // namespace tembra
