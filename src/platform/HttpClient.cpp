#include "platform/HttpClient.h"

#include <curl/curl.h>

#include <algorithm>
#include <mutex>

#include "platform/HttpLimits.h"

namespace tembra {

namespace {

constexpr const char* kUserAgent = "TembraPlayer";
// Servers may move a resource; redirects are followed as a browser would,
// but only to plain or secure HTTP and not endlessly.
constexpr long kMaxRedirects = 5;

void globalInit() {
  static std::once_flag once;
  std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

struct EasyHandle {
  CURL* handle = curl_easy_init();
  ~EasyHandle() {
    if (handle != nullptr) curl_easy_cleanup(handle);
  }
};

struct HeaderList {
  curl_slist* list = nullptr;
  ~HeaderList() { curl_slist_free_all(list); }
  void add(const char* header) {
    curl_slist* grown = curl_slist_append(list, header);
    if (grown == nullptr) throw HttpTransportError("out of memory");
    list = grown;
  }
};

struct BodySink {
  std::string* body = nullptr;  // null: the body is counted but not kept
  size_t cap = 0;
  size_t received = 0;
  bool overflow = false;
};

size_t writeBody(char* data, size_t size, size_t count, void* user) {
  auto* sink = static_cast<BodySink*>(user);
  size_t bytes = size * count;
  if (bytes > sink->cap - sink->received) {
    sink->overflow = true;
    return 0;  // any count but `bytes` makes curl stop with a write error
  }
  sink->received += bytes;
  if (sink->body != nullptr) sink->body->append(data, bytes);
  return bytes;
}

std::string bodyTooLarge(size_t cap) { return "body exceeds " + std::to_string(cap) + " bytes"; }

void setCommonOptions(CURL* h, long connectTimeoutMs, BodySink* sink, char* errorBuffer) {
  curl_easy_setopt(h, CURLOPT_NOSIGNAL, 1L);
  curl_easy_setopt(h, CURLOPT_ERRORBUFFER, errorBuffer);
  curl_easy_setopt(h, CURLOPT_USERAGENT, kUserAgent);
  curl_easy_setopt(h, CURLOPT_PROTOCOLS_STR, "http,https");
  if (connectTimeoutMs > 0) curl_easy_setopt(h, CURLOPT_CONNECTTIMEOUT_MS, connectTimeoutMs);
  curl_easy_setopt(h, CURLOPT_LOW_SPEED_LIMIT, 1L);
  curl_easy_setopt(h, CURLOPT_LOW_SPEED_TIME, HttpLimits::lowSpeedSeconds());
  curl_easy_setopt(h, CURLOPT_TIMEOUT, HttpLimits::totalSeconds());
  curl_easy_setopt(h, CURLOPT_WRITEFUNCTION, writeBody);
  curl_easy_setopt(h, CURLOPT_WRITEDATA, sink);
}

[[noreturn]] void throwFailure(CURLcode code, const char* errorBuffer) {
  std::string message = curl_easy_strerror(code);
  if (errorBuffer[0] != '\0') message += std::string(": ") + errorBuffer;
  throw HttpTransportError(message);
}

// The connection itself failed (refused, unreachable, or the connect
// time-out ran out), as opposed to a failure after it was made.
bool connectFailed(CURL* h, CURLcode code) {
  if (code == CURLE_COULDNT_CONNECT) return true;
  if (code != CURLE_OPERATION_TIMEDOUT) return false;
  curl_off_t connectTime = 0;
  return curl_easy_getinfo(h, CURLINFO_CONNECT_TIME_T, &connectTime) == CURLE_OK &&
         connectTime == 0;
}

bool hostUsable(const std::string& host) {
  if (host.empty()) return false;
  return std::none_of(host.begin(), host.end(), [](unsigned char c) {
    return c <= ' ' || c == 0x7F || c == '/' || c == '?' || c == '#' || c == '@' || c == ':' ||
           c == '\\';
  });
}

}  // namespace

HttpResponse HttpClient::Get(const std::string& url, long connectTimeoutMs, int connectRetries,
                             size_t maxBodyBytes) {
  globalInit();
  // curl reads the URL as a C string: a NUL would quietly cut it short.
  if (url.find('\0') != std::string::npos) throw HttpTransportError("malformed URL");
  const int attempts = 1 + std::max(0, connectRetries);
  for (int attempt = 1;; ++attempt) {
    EasyHandle easy;
    if (easy.handle == nullptr) throw HttpTransportError("cannot create a transfer");
    CURL* h = easy.handle;
    HttpResponse response;
    BodySink sink{&response.body, maxBodyBytes};
    char errorBuffer[CURL_ERROR_SIZE] = {};
    setCommonOptions(h, connectTimeoutMs, &sink, errorBuffer);
    curl_easy_setopt(h, CURLOPT_URL, url.c_str());
    curl_easy_setopt(h, CURLOPT_HTTPGET, 1L);
    curl_easy_setopt(h, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(h, CURLOPT_MAXREDIRS, kMaxRedirects);
    curl_easy_setopt(h, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
    // Refuses at once a body whose announced length is over the cap.
    curl_easy_setopt(h, CURLOPT_MAXFILESIZE_LARGE, static_cast<curl_off_t>(maxBodyBytes));

    CURLcode code = curl_easy_perform(h);
    if (sink.overflow || code == CURLE_FILESIZE_EXCEEDED) {
      throw HttpTransportError(bodyTooLarge(maxBodyBytes));
    }
    if (code == CURLE_OK) {
      curl_easy_getinfo(h, CURLINFO_RESPONSE_CODE, &response.status);
      return response;
    }
    if (attempt < attempts && connectFailed(h, code)) continue;
    throwFailure(code, errorBuffer);
  }
}

long HttpClient::PostForm(const std::string& host, unsigned port, const std::string& path,
                          const std::string& body, long connectTimeoutMs) {
  globalInit();
  if (!hostUsable(host) || port == 0 || port > 65535) {
    throw HttpTransportError("malformed host or port");
  }
  std::string url = "http://" + host + ":" + std::to_string(port);
  if (path.empty() || path.front() != '/') url += '/';
  url += path;

  EasyHandle easy;
  if (easy.handle == nullptr) throw HttpTransportError("cannot create a transfer");
  CURL* h = easy.handle;
  BodySink sink{nullptr, kMaxBodyBytes};
  char errorBuffer[CURL_ERROR_SIZE] = {};
  setCommonOptions(h, connectTimeoutMs, &sink, errorBuffer);
  HeaderList headers;
  headers.add("Content-Type: application/x-www-form-urlencoded");
  // curl would otherwise ask for "100 Continue" before a large body, which
  // the statistics server is not known to answer.
  headers.add("Expect:");
  curl_easy_setopt(h, CURLOPT_URL, url.c_str());
  curl_easy_setopt(h, CURLOPT_NOPROXY, "*");
  curl_easy_setopt(h, CURLOPT_HTTPHEADER, headers.list);
  curl_easy_setopt(h, CURLOPT_POST, 1L);
  curl_easy_setopt(h, CURLOPT_POSTFIELDS, body.data());
  curl_easy_setopt(h, CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(body.size()));

  CURLcode code = curl_easy_perform(h);
  if (sink.overflow) throw HttpTransportError(bodyTooLarge(kMaxBodyBytes));
  if (code != CURLE_OK) throwFailure(code, errorBuffer);
  long status = 0;
  curl_easy_getinfo(h, CURLINFO_RESPONSE_CODE, &status);
  return status;
}

}  // namespace tembra
