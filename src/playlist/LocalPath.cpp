#include "playlist/LocalPath.h"

#include <algorithm>

namespace tembra {

// `out` holds the normalised path so far; its first `floor` characters (the
// root "/" or a run of leading "..") cannot be taken back by a "..".
void LocalPath::appendSegments(std::string& out, size_t& floor, std::string_view path) {
  size_t i = 0;
  while (i <= path.size()) {
    const size_t end = std::min(path.find('/', i), path.size());
    const std::string_view segment = path.substr(i, end - i);
    i = end + 1;
    if (segment.empty() || segment == ".") continue;
    if (segment == "..") {
      if (out.size() > floor) {
        const size_t slash = out.rfind('/');
        out.resize(slash == std::string::npos ? floor : std::max(slash, floor));
        continue;
      }
      if (floor == 1 && out == "/") continue;
    }
    if (!out.empty() && out.back() != '/') out += '/';
    out.append(segment);
    if (segment == "..") floor = out.size();
  }
}

std::string LocalPath::normalised(std::string_view path) {
  std::string out;
  out.reserve(path.size());
  if (!path.empty() && path.front() == '/') out = "/";
  size_t floor = out.size();
  appendSegments(out, floor, path);
  if (out.empty()) out = ".";
  return out;
}

std::string LocalPath::join(std::string_view folder, std::string_view relative) {
  if (!relative.empty() && relative.front() == '/') return normalised(relative);
  std::string out;
  out.reserve(folder.size() + relative.size() + 1);
  if (!folder.empty() && folder.front() == '/') out = "/";
  size_t floor = out.size();
  appendSegments(out, floor, folder);
  appendSegments(out, floor, relative);
  if (out.empty()) out = ".";
  return out;
}

std::string_view LocalPath::folderOf(std::string_view filePath) {
  const size_t slash = filePath.rfind('/');
  if (slash == std::string_view::npos) return {};
  if (slash == 0) return filePath.substr(0, 1);
  return filePath.substr(0, slash);
}

}  // namespace tembra
