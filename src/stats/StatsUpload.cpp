#include "stats/StatsUpload.h"

#include <curl/curl.h>

#include <algorithm>
#include <mutex>

#include "platform/Utf.h"

namespace tembra {

namespace {

std::optional<uint16_t> defaultPort(std::string_view scheme) {
  std::string lower;
  for (char c : scheme) lower += static_cast<char>(c >= 'A' && c <= 'Z' ? c + 32 : c);
  if (lower == "http") return 80;
  if (lower == "https") return 443;
  return std::nullopt;
}

bool hostUsable(const std::string& host) {
  if (host.empty()) return false;
  return std::none_of(host.begin(), host.end(), [](unsigned char c) {
    return c <= ' ' || c == 0x7F || c == '/' || c == '?' || c == '#' || c == '@' || c == ':' ||
           c == '\\' || c == '[' || c == ']';
  });
}

size_t discardBody(char*, size_t size, size_t count, void*) { return size * count; }

int checkCancel(void* user, curl_off_t, curl_off_t, curl_off_t, curl_off_t) {
  return static_cast<const std::atomic<bool>*>(user)->load() ? 1 : 0;
}

struct Handle {
  CURL* curl = curl_easy_init();
  curl_slist* headers = nullptr;
  ~Handle() {
    curl_slist_free_all(headers);
    if (curl != nullptr) curl_easy_cleanup(curl);
  }
};

}  // namespace

std::optional<StatsServer> StatsServer::FromUrl(std::u16string_view url) {
  const std::string text = toUtf8(url);
  std::string_view rest = text;
  std::string_view scheme = "http";
  const size_t schemeEnd = rest.find("://");
  if (schemeEnd != std::string_view::npos) {
    scheme = rest.substr(0, schemeEnd);
    rest.remove_prefix(schemeEnd + 3);
  }
  rest = rest.substr(0, rest.find_first_of("/?#"));
  const size_t at = rest.rfind('@');
  if (at != std::string_view::npos) rest.remove_prefix(at + 1);
  StatsServer server;
  const size_t colon = rest.find(':');
  server.host = std::string(rest.substr(0, colon));
  if (!hostUsable(server.host)) return std::nullopt;
  if (colon == std::string_view::npos) {
    auto port = defaultPort(scheme);
    if (!port) return std::nullopt;
    server.port = *port;
    return server;
  }
  std::string_view digits = rest.substr(colon + 1);
  if (digits.empty()) {
    auto port = defaultPort(scheme);
    if (!port) return std::nullopt;
    server.port = *port;
    return server;
  }
  if (digits.size() > 5 || digits.find_first_not_of("0123456789") != std::string_view::npos)
    return std::nullopt;
  const unsigned long port = std::stoul(std::string(digits));
  if (port == 0 || port > 65535) return std::nullopt;
  server.port = static_cast<uint16_t>(port);
  return server;
}

bool StatsUpload::Post(const StatsServer& server, const std::string& body,
                       const std::atomic<bool>& cancel, long requestLimitMs) {
  static std::once_flag once;
  std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
  if (!hostUsable(server.host) || server.port == 0 || cancel.load()) return false;
  Handle h;
  if (h.curl == nullptr) return false;
  const std::string url = "http://" + server.host + ":" + std::to_string(server.port) + "/" + kPath;
  for (const char* header : {"Content-Type: application/x-www-form-urlencoded",
                             // The statistics server is not known to answer
                             // "100 Continue" before a large body.
                             "Expect:"}) {
    curl_slist* grown = curl_slist_append(h.headers, header);
    if (grown == nullptr) return false;
    h.headers = grown;
  }
  CURL* c = h.curl;
  curl_easy_setopt(c, CURLOPT_NOSIGNAL, 1L);
  curl_easy_setopt(c, CURLOPT_URL, url.c_str());
  curl_easy_setopt(c, CURLOPT_PROTOCOLS_STR, "http");
  curl_easy_setopt(c, CURLOPT_NOPROXY, "*");
  curl_easy_setopt(c, CURLOPT_FRESH_CONNECT, 1L);
  curl_easy_setopt(c, CURLOPT_FORBID_REUSE, 1L);
  curl_easy_setopt(c, CURLOPT_USERAGENT, "TembraPlayer");
  curl_easy_setopt(c, CURLOPT_HTTPHEADER, h.headers);
  curl_easy_setopt(c, CURLOPT_POST, 1L);
  curl_easy_setopt(c, CURLOPT_POSTFIELDS, body.data());
  curl_easy_setopt(c, CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(body.size()));
  curl_easy_setopt(c, CURLOPT_CONNECTTIMEOUT_MS, kConnectLimitMs);
  curl_easy_setopt(c, CURLOPT_TIMEOUT_MS, std::max(requestLimitMs, 1L));
  curl_easy_setopt(c, CURLOPT_WRITEFUNCTION, discardBody);
  curl_easy_setopt(c, CURLOPT_NOPROGRESS, 0L);
  curl_easy_setopt(c, CURLOPT_XFERINFOFUNCTION, checkCancel);
  curl_easy_setopt(c, CURLOPT_XFERINFODATA, const_cast<std::atomic<bool>*>(&cancel));
  if (curl_easy_perform(c) != CURLE_OK) return false;
  long status = 0;
  curl_easy_getinfo(c, CURLINFO_RESPONSE_CODE, &status);
  return status == 200;
}

}  // namespace tembra
