#pragma once
#include <cstddef>
#include <stdexcept>
#include <string>

namespace tembra {

// A transport failure: no connection, time-out, malformed URL, a body over
// the size cap. The status code of an answer is never a transport failure.
class HttpTransportError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

struct HttpResponse {
  long status = 0;
  std::string body;  // raw bytes as received
};

// Blocking HTTP over libcurl. Every call uses a fresh handle; nothing is
// cached. Bodies are capped (kMaxBodyBytes) and a server that stops sending
// is given up on, so a hostile peer cannot hold a thread or memory forever.
class HttpClient {
 public:
  static constexpr size_t kMaxBodyBytes = 64u << 20;

  // GET with the system proxy settings; connectRetries extra connection
  // attempts after the first one times out or is refused.
  static HttpResponse Get(const std::string& url, long connectTimeoutMs, int connectRetries,
                          size_t maxBodyBytes = kMaxBodyBytes);

  // POST application/x-www-form-urlencoded, direct connection, no cache.
  // Returns the status code.
  static long PostForm(const std::string& host, unsigned port, const std::string& path,
                       const std::string& body, long connectTimeoutMs);
};

}  // namespace tembra
