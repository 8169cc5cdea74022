#include "player/StreamAuth.h"

#include <algorithm>
#include <cctype>

namespace tembra {

namespace {

std::string lower(std::string s) {
  std::transform(s.begin(), s.end(), s.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return s;
}

bool safeValue(const std::string& v) {
  return std::none_of(v.begin(), v.end(), [](unsigned char c) { return c < 0x20 || c == 0x7F; });
}

}  // namespace

std::string StreamAuth::Origin(const std::string& url) {
  const size_t colon = url.find("://");
  if (colon == std::string::npos) return {};
  const std::string scheme = lower(url.substr(0, colon));
  if (scheme != "http" && scheme != "https") return {};
  size_t start = colon + 3;
  size_t end = url.find_first_of("/?#", start);
  std::string authority = url.substr(start, end == std::string::npos ? std::string::npos : end - start);
  if (size_t at = authority.rfind('@'); at != std::string::npos) authority.erase(0, at + 1);
  if (authority.empty()) return {};
  std::string host = authority;
  std::string port;
  if (authority.front() == '[') {
    size_t close = authority.find(']');
    if (close == std::string::npos) return {};
    host = authority.substr(0, close + 1);
    if (close + 1 < authority.size()) {
      if (authority[close + 1] != ':') return {};
      port = authority.substr(close + 2);
    }
  } else if (size_t c = authority.rfind(':'); c != std::string::npos) {
    host = authority.substr(0, c);
    port = authority.substr(c + 1);
  }
  if (host.empty() || !std::all_of(port.begin(), port.end(), [](unsigned char c) { return std::isdigit(c); }))
    return {};
  if (port.empty()) port = scheme == "https" ? "443" : "80";
  port.erase(0, std::min(port.find_first_not_of('0'), port.size() - 1));
  return scheme + "://" + lower(host) + ":" + port;
}

std::vector<std::string> StreamAuth::HeadersFor(const std::string& address) const {
  const std::string origin = Origin(url_);
  if (origin.empty() || Origin(address) != origin) return {};
  std::vector<std::string> headers;
  if (!first_.empty() && safeValue(first_)) headers.push_back(std::string(kFirstHeader) + ": " + first_);
  if (!second_.empty() && safeValue(second_)) headers.push_back(std::string(kSecondHeader) + ": " + second_);
  return headers;
}

}  // namespace tembra
