#pragma once
#include <string>
#include <string_view>

namespace tembra {

// A provider account: its server and credentials, and the addresses made
// from them. The user name and password are percent-encoded wherever they
// go into an address.
struct XtreamAccount {
  std::string server;  // "http://host:port" or with a path; a trailing '/' is dropped
  std::string user;
  std::string password;

  // SERVER/player_api.php?username=U&password=P[&action=ACTION]
  std::string apiUrl(std::string_view action = {}) const;
  // SERVER/live/U/P/ID.ts (or .m3u8)
  std::string streamUrl(std::string_view streamId, bool m3u8) const;
  // SERVER/xmltv.php?username=U&password=P
  std::string guideUrl() const;
  // The server as the addresses start with it: scheme added when missing
  // ("http://"), trailing slashes dropped.
  std::string base() const;

  // Every byte but the unreserved ones (A-Z a-z 0-9 - . _ ~) as %XX.
  static std::string percentEncode(std::string_view text);
};

}  // namespace tembra
