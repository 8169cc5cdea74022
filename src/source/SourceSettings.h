#pragma once
#include <string>
#include <vector>

namespace tembra {

enum class SourceKind { Operator, Playlist, Xtream };

// One source the user keeps: the operator's service (config.ini beside the
// program), a playlist with its guides, or a provider account.
struct SourceSettings {
  std::string id;  // stable; names the source's cache folder
  std::string name;
  SourceKind kind = SourceKind::Playlist;
  std::string playlist;             // a file path or an http(s) URL
  std::vector<std::string> guides;  // XMLTV files or URLs, used before the playlist's own
  double offsetHours = 0;           // added to every guide time of the source
  std::string userAgent;            // for the downloads and the streams; empty: the player's own
  // A provider account: its server, user name and password. The password
  // lives in the desktop's secret store when passwordStored is set (and
  // is then empty in the sources file), else in the file itself.
  std::string server;
  std::string user;
  std::string password;
  bool passwordStored = false;

  bool operator==(const SourceSettings&) const = default;

  // "a, b ,,a" -> {"a", "b"}: split at commas, trimmed, empties and repeats dropped.
  static std::vector<std::string> splitList(std::string_view text);
  static std::string joinList(const std::vector<std::string>& items);
  // A name for a source made from a playlist address: its file name, or the
  // URL's host.
  static std::string nameFor(const std::string& playlist);
};

}  // namespace tembra
