#pragma once
#include <string>
#include <string_view>

namespace tembra {

// File-system paths joined and normalised by their text alone: "." and ".."
// are resolved and repeated slashes collapsed without asking the file
// system, so symbolic links are not followed.
class LocalPath {
 public:
  // `relative` taken inside `folder`; an absolute `relative` stands alone.
  static std::string join(std::string_view folder, std::string_view relative);
  // ".." above the root stays at the root; leading ".." of a relative path
  // are kept. An empty result is ".".
  static std::string normalised(std::string_view path);
  // The folder part of a file's path: "/a/b/list.m3u" -> "/a/b", "list.m3u" -> "".
  static std::string_view folderOf(std::string_view filePath);

 private:
  static void appendSegments(std::string& out, size_t& floor, std::string_view path);
};

}  // namespace tembra
