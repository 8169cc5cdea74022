#include "platform/ContentFetch.h"

#include <curl/curl.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <mutex>
#include <optional>

#include "platform/GzipInflater.h"
#include "platform/UniqueFd.h"

namespace tembra {

namespace {

constexpr const char* kUserAgent = "TembraPlayer";
constexpr long kMaxRedirects = 5;
constexpr size_t kReadBlock = 256 * 1024;

bool startsWithNoCase(std::string_view text, std::string_view prefix) {
  if (text.size() < prefix.size()) return false;
  for (size_t i = 0; i < prefix.size(); ++i) {
    char c = text[i];
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    if (c != prefix[i]) return false;
  }
  return true;
}

int hexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// "file:///a%20b" -> "/a b"; a host part other than localhost is refused.
std::optional<std::string> filePathOf(std::string_view location) {
  if (!startsWithNoCase(location, "file://")) return std::string(location);
  std::string_view rest = location.substr(7);
  if (startsWithNoCase(rest, "localhost/")) rest.remove_prefix(9);
  if (rest.empty() || rest.front() != '/') return std::nullopt;
  std::string path;
  for (size_t i = 0; i < rest.size(); ++i) {
    if (rest[i] == '%' && i + 2 < rest.size()) {
      int hi = hexValue(rest[i + 1]), lo = hexValue(rest[i + 2]);
      if (hi >= 0 && lo >= 0) {
        path += static_cast<char>(hi * 16 + lo);
        i += 2;
        continue;
      }
    }
    path += rest[i];
  }
  if (path.find('\0') != std::string::npos) return std::nullopt;
  return path;
}

// The raw bytes of a fetch, written beside the target and renamed over it
// once the fetch succeeded; a failed or cut-off fetch leaves the old copy.
class RawCopy {
 public:
  explicit RawCopy(const std::string& target) : target_(target) {
    if (target_.empty()) return;
    temp_ = target_ + ".partXXXXXX";
    fd_.reset(::mkostemp(temp_.data(), O_CLOEXEC));
  }
  ~RawCopy() {
    if (fd_) ::unlink(temp_.c_str());
  }
  RawCopy(const RawCopy&) = delete;
  RawCopy& operator=(const RawCopy&) = delete;

  void write(std::string_view bytes) {
    if (fd_ && !writeAll(fd_.get(), bytes)) failed_ = true;
  }
  void keep() {
    if (!fd_) return;
    bool ok = !failed_ && ::fsync(fd_.get()) == 0;
    fd_.reset();
    if (!ok || ::rename(temp_.c_str(), target_.c_str()) != 0) ::unlink(temp_.c_str());
  }

 private:
  const std::string& target_;
  std::string temp_;
  UniqueFd fd_;
  bool failed_ = false;
};

// Passes content on to the caller's sink, inflating it first when it starts
// with the gzip magic.
class ContentDecoder {
 public:
  ContentDecoder(const FetchSink& sink, uint64_t maxBytes, FetchResult& result, RawCopy* copy)
      : sink_(sink), maxBytes_(maxBytes), result_(result), copy_(copy) {}

  // False once the fetch must end; result_.error says why.
  bool take(std::string_view bytes) {
    if (bytes.empty()) return true;
    if (copy_ != nullptr) copy_->write(bytes);
    if (!decided_) {
      pendingFirst_.append(bytes);
      // One byte so far: wait for the second before deciding.
      if (pendingFirst_.size() < 2) return true;
      decided_ = true;
      result_.gzip = GzipInflater::isGzipMagic(pendingFirst_);
      if (result_.gzip) inflater_.emplace([this](std::string_view out) { return emit(out); });
      const std::string first = std::move(pendingFirst_);
      return pass(first);
    }
    return pass(bytes);
  }

  // The source has no more bytes: a gzip stream must have reached its end.
  bool finish() {
    if (!decided_ && !pendingFirst_.empty()) {
      decided_ = true;
      return emit(pendingFirst_);
    }
    if (!inflater_) return true;
    inflater_->finish();
    if (inflater_->cutOff()) return fail(FetchError::Truncated, "the compressed data ends early");
    return true;
  }

 private:
  bool pass(std::string_view bytes) {
    if (!inflater_) return emit(bytes);
    if (inflater_->feed(bytes)) return true;
    // The sink's own refusal has set the error already.
    return fail(FetchError::BadGzip, inflater_->error());
  }

  bool fail(FetchError error, std::string detail) {
    if (result_.error == FetchError::None) {
      result_.error = error;
      result_.detail = std::move(detail);
    }
    return false;
  }

  bool emit(std::string_view bytes) {
    if (bytes.size() > maxBytes_ - result_.contentBytes) return fail(FetchError::TooLarge, "over the size cap");
    result_.contentBytes += bytes.size();
    if (!sink_(bytes)) return fail(FetchError::Cancelled, "stopped by the reader");
    return true;
  }

  const FetchSink& sink_;
  const uint64_t maxBytes_;
  FetchResult& result_;
  RawCopy* const copy_;
  bool decided_ = false;
  std::string pendingFirst_;
  std::optional<GzipInflater> inflater_;
};

FetchResult fetchFile(const std::string& path, const FetchRequest& request, std::stop_token stop,
                      const FetchSink& sink) {
  FetchResult result;
  UniqueFd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
  if (!fd) {
    result.error = errno == ENOENT || errno == ENOTDIR ? FetchError::NotFound : FetchError::Unreadable;
    result.detail = std::strerror(errno);
    return result;
  }
  struct stat info{};
  if (::fstat(fd.get(), &info) != 0 || S_ISDIR(info.st_mode)) {
    result.error = FetchError::Unreadable;
    result.detail = S_ISDIR(info.st_mode) ? "it is a folder" : std::strerror(errno);
    return result;
  }
  RawCopy copy(request.copyTo);
  ContentDecoder decoder(sink, request.limits.maxBytes, result, &copy);
  std::string block(kReadBlock, '\0');
  for (;;) {
    if (stop.stop_requested()) {
      result.error = FetchError::Cancelled;
      return result;
    }
    ssize_t n = ::read(fd.get(), block.data(), block.size());
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      result.error = FetchError::Unreadable;
      result.detail = std::strerror(errno);
      return result;
    }
    if (n == 0) break;
    if (!decoder.take(std::string_view(block.data(), static_cast<size_t>(n)))) return result;
  }
  if (decoder.finish()) copy.keep();
  return result;
}

void globalInit() {
  static std::once_flag once;
  std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

struct Transfer {
  ContentDecoder* decoder = nullptr;
  CURL* easy = nullptr;
  FetchResult* result = nullptr;
  bool statusChecked = false;
  std::string statusText;  // of the last status line seen
};

size_t onHeader(char* data, size_t size, size_t count, void* user) {
  auto* t = static_cast<Transfer*>(user);
  std::string_view line(data, size * count);
  // "HTTP/1.1 404 Not Found\r\n": a new status line per redirect or 1xx.
  if (startsWithNoCase(line, "http/")) {
    size_t code = line.find(' ');
    size_t text = code == std::string_view::npos ? code : line.find(' ', code + 1);
    std::string_view rest = text == std::string_view::npos ? std::string_view() : line.substr(text + 1);
    while (!rest.empty() && (rest.back() == '\r' || rest.back() == '\n' || rest.back() == ' ')) rest.remove_suffix(1);
    t->statusText.assign(rest.substr(0, 200));
  }
  return size * count;
}

size_t onBody(char* data, size_t size, size_t count, void* user) {
  auto* t = static_cast<Transfer*>(user);
  if (!t->statusChecked) {
    t->statusChecked = true;
    long status = 0;
    curl_easy_getinfo(t->easy, CURLINFO_RESPONSE_CODE, &status);
    t->result->httpStatus = status;
    if (status != 0 && (status < 200 || status > 299)) {
      t->result->error = FetchError::HttpStatus;
      t->result->statusText = t->statusText;
      return 0;
    }
  }
  if (!t->decoder->take(std::string_view(data, size * count))) return 0;
  return size * count;
}

FetchResult fetchUrl(const FetchRequest& request, std::stop_token stop, const FetchSink& sink) {
  globalInit();
  FetchResult result;
  if (request.location.find('\0') != std::string::npos) {
    result.error = FetchError::BadAddress;
    return result;
  }
  CURL* easy = curl_easy_init();
  CURLM* multi = curl_multi_init();
  if (easy == nullptr || multi == nullptr) {
    if (easy != nullptr) curl_easy_cleanup(easy);
    if (multi != nullptr) curl_multi_cleanup(multi);
    result.error = FetchError::Transport;
    result.detail = "cannot create a transfer";
    return result;
  }
  RawCopy copy(request.copyTo);
  ContentDecoder decoder(sink, request.limits.maxBytes, result, &copy);
  Transfer transfer;
  transfer.decoder = &decoder;
  transfer.easy = easy;
  transfer.result = &result;
  char errorBuffer[CURL_ERROR_SIZE] = {};
  const std::string userAgent = request.userAgent.empty() ? kUserAgent : request.userAgent;
  curl_easy_setopt(easy, CURLOPT_URL, request.location.c_str());
  curl_easy_setopt(easy, CURLOPT_NOSIGNAL, 1L);
  curl_easy_setopt(easy, CURLOPT_ERRORBUFFER, errorBuffer);
  curl_easy_setopt(easy, CURLOPT_USERAGENT, userAgent.c_str());
  if (!request.referrer.empty()) curl_easy_setopt(easy, CURLOPT_REFERER, request.referrer.c_str());
  curl_easy_setopt(easy, CURLOPT_PROTOCOLS_STR, "http,https");
  curl_easy_setopt(easy, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
  curl_easy_setopt(easy, CURLOPT_FOLLOWLOCATION, 1L);
  curl_easy_setopt(easy, CURLOPT_MAXREDIRS, kMaxRedirects);
  // A server may also compress the transfer itself; curl undoes that, and a
  // .gz file served as it is is inflated by the decoder.
  curl_easy_setopt(easy, CURLOPT_ACCEPT_ENCODING, "");
  curl_easy_setopt(easy, CURLOPT_CONNECTTIMEOUT_MS, static_cast<long>(request.limits.connect.count()));
  curl_easy_setopt(easy, CURLOPT_LOW_SPEED_LIMIT, 1L);
  curl_easy_setopt(easy, CURLOPT_LOW_SPEED_TIME,
                   std::max<long>(1, static_cast<long>((request.limits.noData.count() + 999) / 1000)));
  curl_easy_setopt(easy, CURLOPT_HEADERFUNCTION, onHeader);
  curl_easy_setopt(easy, CURLOPT_HEADERDATA, &transfer);
  curl_easy_setopt(easy, CURLOPT_WRITEFUNCTION, onBody);
  curl_easy_setopt(easy, CURLOPT_WRITEDATA, &transfer);
  curl_multi_add_handle(multi, easy);

  // The stop request wakes the poll at once instead of waiting for curl's
  // own once-a-second progress call.
  std::stop_callback wake(stop, [multi] { curl_multi_wakeup(multi); });
  CURLcode code = CURLE_OK;
  bool done = false;
  while (!done) {
    if (stop.stop_requested()) {
      if (result.error == FetchError::None) result.error = FetchError::Cancelled;
      break;
    }
    int running = 0;
    CURLMcode mc = curl_multi_perform(multi, &running);
    if (mc != CURLM_OK) {
      code = CURLE_FAILED_INIT;
      break;
    }
    int queued = 0;
    while (CURLMsg* message = curl_multi_info_read(multi, &queued)) {
      if (message->msg == CURLMSG_DONE) {
        code = message->data.result;
        done = true;
      }
    }
    if (done || running == 0) break;
    curl_multi_poll(multi, nullptr, 0, 1000, nullptr);
  }
  if (!done && result.error == FetchError::None && !stop.stop_requested()) {
    result.error = FetchError::Transport;
    result.detail = "the transfer stopped";
  }

  if (result.error == FetchError::None) {
    if (code == CURLE_OK) {
      long status = 0;
      curl_easy_getinfo(easy, CURLINFO_RESPONSE_CODE, &status);
      result.httpStatus = status;
      if (status < 200 || status > 299) {
        result.error = FetchError::HttpStatus;
        result.statusText = transfer.statusText;
      } else if (decoder.finish()) {
        copy.keep();
      }
    } else {
      curl_off_t connectTime = 0;
      curl_easy_getinfo(easy, CURLINFO_CONNECT_TIME_T, &connectTime);
      result.detail = curl_easy_strerror(code);
      if (errorBuffer[0] != '\0') result.detail += std::string(": ") + errorBuffer;
      switch (code) {
        case CURLE_UNSUPPORTED_PROTOCOL:
        case CURLE_URL_MALFORMAT:
          result.error = FetchError::BadAddress;
          break;
        case CURLE_COULDNT_RESOLVE_HOST:
        case CURLE_COULDNT_RESOLVE_PROXY:
        case CURLE_COULDNT_CONNECT:
          result.error = FetchError::Connect;
          break;
        case CURLE_OPERATION_TIMEDOUT:
          result.error = connectTime == 0 ? FetchError::Connect : FetchError::Timeout;
          break;
        case CURLE_PARTIAL_FILE:
          result.error = FetchError::Truncated;
          break;
        default:
          result.error = FetchError::Transport;
      }
    }
  }
  curl_multi_remove_handle(multi, easy);
  curl_easy_cleanup(easy);
  curl_multi_cleanup(multi);
  return result;
}

std::string megabytes(uint64_t bytes) {
  return std::to_string((bytes + (1u << 20) - 1) >> 20) + " MB";
}

}  // namespace

bool isRemoteLocation(std::string_view location) {
  return startsWithNoCase(location, "http://") || startsWithNoCase(location, "https://");
}

FetchResult fetchContent(const FetchRequest& request, std::stop_token stop, const FetchSink& sink) {
  FetchResult result;
  if (isRemoteLocation(request.location)) {
    result = fetchUrl(request, stop, sink);
  } else if (request.location.empty() || (request.location.find("://") != std::string::npos &&
                                              !startsWithNoCase(request.location, "file://"))) {
    result.error = FetchError::BadAddress;
  } else if (std::optional<std::string> path = filePathOf(request.location)) {
    result = fetchFile(*path, request, stop, sink);
  } else {
    result.error = FetchError::BadAddress;
  }
  if (result.error == FetchError::TooLarge) result.detail = "larger than " + megabytes(request.limits.maxBytes);
  if (result.error == FetchError::Cancelled && stop.stop_requested()) result.detail = "cancelled";
  return result;
}

FetchResult fetchWhole(const FetchRequest& request, std::stop_token stop, std::string& content) {
  content.clear();
  return fetchContent(request, stop, [&content](std::string_view piece) {
    content.append(piece);
    return true;
  });
}

std::string FetchResult::words() const {
  switch (error) {
    case FetchError::None:
      return "";
    case FetchError::Cancelled:
      return "it was cancelled";
    case FetchError::NotFound:
      return "the file does not exist";
    case FetchError::Unreadable:
      return "the file cannot be read (" + detail + ")";
    case FetchError::BadAddress:
      return "the address is neither a file nor an http(s) URL";
    case FetchError::Connect:
      return "the server cannot be reached (" + detail + ")";
    case FetchError::Timeout:
      return "it took too long (the server stopped sending)";
    case FetchError::HttpStatus:
      return "HTTP " + std::to_string(httpStatus) + (statusText.empty() ? "" : " " + statusText);
    case FetchError::TooLarge:
      return "it is too large (" + detail + ")";
    case FetchError::BadGzip:
      return "it is not valid gzip data";
    case FetchError::Truncated:
      return "it was cut off before its end";
    case FetchError::Transport:
      return "the transfer failed (" + detail + ")";
  }
  return detail;
}

}  // namespace tembra
