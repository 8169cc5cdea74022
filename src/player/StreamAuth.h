#pragma once
#include <string>
#include <vector>

namespace tembra {

// The forced-authentication settings the host gives the player: the URL on
// the plan's host and two credential values. The player sends the values as
// HTTP request headers, but only to stream addresses on the same origin
// (scheme, host and port) as that URL, so credentials never travel to a
// third-party stream server.
class StreamAuth {
 public:
  static constexpr const char* kFirstHeader = "X-Tembra-Auth-First";
  static constexpr const char* kSecondHeader = "X-Tembra-Auth-Second";

  void setUrl(std::string url) { url_ = std::move(url); }
  void setFirst(std::string value) { first_ = std::move(value); }
  void setSecond(std::string value) { second_ = std::move(value); }
  const std::string& url() const { return url_; }
  const std::string& first() const { return first_; }
  const std::string& second() const { return second_; }

  // "Name: value" lines for a request to address; empty when the address
  // is not on the authentication URL's origin. A value holding a control
  // character (a header break) is left out rather than sent.
  std::vector<std::string> HeadersFor(const std::string& address) const;

  // "scheme://host:port" in lower case with the scheme's default port
  // filled in; empty for anything but http and https.
  static std::string Origin(const std::string& url);

 private:
  std::string url_;
  std::string first_;
  std::string second_;
};

}  // namespace tembra
