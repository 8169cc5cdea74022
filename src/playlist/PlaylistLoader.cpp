#include "playlist/PlaylistLoader.h"

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <system_error>

#include "playlist/LocalPath.h"
#include "playlist/M3uText.h"
#include "playlist/PlaylistParser.h"
#include "playlist/StreamOptions.h"

namespace tembra {

namespace {

constexpr std::string_view kBom = "\xEF\xBB\xBF";

// The path of a file:// URL ("file:///a%20b/x.m3u" -> "/a b/x.m3u"), or the
// location itself when it is a path already.
std::string localPath(std::string_view location) {
  if (!M3uText::startsWithLower(location, "file://")) return std::string(location);
  std::string_view rest = location.substr(7);
  if (M3uText::startsWithLower(rest, "localhost/")) rest.remove_prefix(9);
  return StreamOptions::percentDecoded(rest);
}

}  // namespace

bool PlaylistLoader::looksLikePlaylist(std::string_view text) {
  if (std::memchr(text.data(), '\0', text.size()) != nullptr) return false;
  if (text.starts_with(kBom)) text.remove_prefix(kBom.size());
  const size_t first = text.find_first_not_of(" \t\r\n");
  if (first == std::string_view::npos || text[first] == '<') return false;
  size_t i = first;
  while (i < text.size()) {
    const size_t end = std::min(text.find('\n', i), text.size());
    const std::string_view line = M3uText::trimBlanks(text.substr(i, end - i));
    i = end + 1;
    if (M3uText::startsWithLower(line, "#extm3u") || M3uText::startsWithLower(line, "#extinf:")) return true;
    if (line.find("://") != std::string_view::npos) return true;
  }
  return false;
}

std::string PlaylistLoader::originOf(std::string_view location) {
  if (isRemoteLocation(location)) return std::string(location);
  const std::string path = localPath(location);
  std::error_code error;
  std::filesystem::path absolute = std::filesystem::absolute(path, error);
  const std::string full = error ? path : absolute.string();
  return std::string(LocalPath::folderOf(LocalPath::normalised(full)));
}

PlaylistLoadResult PlaylistLoader::load(FetchRequest request, std::stop_token stop) {
  request.limits.maxBytes = std::min(request.limits.maxBytes, kMaxBytes);
  PlaylistLoadResult result;
  std::string content;
  result.fetch = fetchWhole(request, stop, content);
  if (!result.fetch.ok()) {
    result.status = PlaylistLoadResult::Status::Unreadable;
    result.message = request.location +
                     (isRemoteLocation(request.location) ? " could not be downloaded: " : " could not be read: ") +
                     result.fetch.words();
    return result;
  }
  if (!looksLikePlaylist(content)) {
    result.status = PlaylistLoadResult::Status::NotAPlaylist;
    result.message = request.location + " is not a playlist";
    return result;
  }
  result.status = PlaylistLoadResult::Status::Loaded;
  result.playlist = PlaylistParser::parse(content, originOf(request.location));
  return result;
}

}  // namespace tembra
