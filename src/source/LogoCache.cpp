#include "source/LogoCache.h"

#include <sys/stat.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <vector>

#include "platform/AtomicFile.h"
#include "platform/ContentFetch.h"
#include "platform/XdgFolders.h"

namespace tembra {

namespace fs = std::filesystem;

namespace {

constexpr std::string_view kSuffix = ".logo";
// A trim goes this far below the limit, so that the next few stores do not
// each scan the folder again.
constexpr int kTrimToPercent = 90;

uint64_t fnv1a(std::string_view s, uint64_t basis) {
  uint64_t h = basis;
  for (unsigned char c : s) {
    h ^= c;
    h *= 0x100000001b3ull;
  }
  return h;
}

bool startsWith(std::string_view s, std::string_view prefix) { return s.substr(0, prefix.size()) == prefix; }

std::optional<std::string> readFile(const std::string& path, uint64_t cap) {
  std::error_code ec;
  const uintmax_t size = fs::file_size(path, ec);
  if (ec || size > cap) return std::nullopt;
  std::ifstream in(path, std::ios::binary);
  if (!in) return std::nullopt;
  std::string bytes(static_cast<size_t>(size), '\0');
  if (!in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()))) return std::nullopt;
  return bytes;
}

struct Entry {
  fs::path path;
  fs::file_time_type used;
  uint64_t size;
};

std::vector<Entry> listLogos(const std::string& folder) {
  std::vector<Entry> out;
  std::error_code ec;
  for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
    const fs::path& p = it->path();
    if (p.extension() != kSuffix) continue;
    std::error_code e1, e2;
    const uintmax_t size = it->file_size(e1);
    const fs::file_time_type used = it->last_write_time(e2);
    if (!e1 && !e2) out.push_back({p, used, static_cast<uint64_t>(size)});
  }
  return out;
}

}  // namespace

std::string LogoCache::defaultFolder() { return XdgFolders::cacheHome() + "/tembra/logos"; }

std::string LogoCache::fileNameFor(std::string_view url) {
  char name[33];
  std::snprintf(name, sizeof name, "%016llx%016llx",
                static_cast<unsigned long long>(fnv1a(url, 0xcbf29ce484222325ull)),
                static_cast<unsigned long long>(fnv1a(url, 0x84222325cbf29ce4ull)));
  return std::string(name) + std::string(kSuffix);
}

bool LogoCache::looksLikePicture(std::string_view b) {
  return startsWith(b, "\x89PNG\r\n\x1a\n") || startsWith(b, "\xff\xd8\xff") || startsWith(b, "GIF87a") ||
         startsWith(b, "GIF89a") || (startsWith(b, "BM") && b.size() > 26) ||
         (startsWith(b, "RIFF") && b.size() > 12 && b.substr(8, 4) == "WEBP") ||
         (b.size() > 6 && b.substr(0, 4) == std::string_view("\0\0\1\0", 4));
}

LogoCache::LogoCache(std::string folder, Limits limits) : folder_(std::move(folder)), limits_(limits) {}

std::string LogoCache::pathFor(std::string_view url) const { return folder_ + "/" + fileNameFor(url); }

std::optional<std::string> LogoCache::stored(std::string_view url) {
  const std::string path = pathFor(url);
  std::optional<std::string> bytes = readFile(path, limits_.maxLogoBytes);
  if (!bytes || !looksLikePicture(*bytes)) return std::nullopt;
  // Marks it used: the trim drops the logos used longest ago.
  std::error_code ec;
  fs::last_write_time(path, fs::file_time_type::clock::now(), ec);
  return bytes;
}

LogoCache::Result LogoCache::get(const std::string& url, std::stop_token stop) {
  Result r;
  if (url.empty()) {
    r.status = Status::BadAddress;
    r.reason = "no address";
    return r;
  }
  if (std::optional<std::string> bytes = stored(url)) {
    r.status = Status::Ok;
    r.bytes = std::move(*bytes);
    r.fromDisk = true;
    return r;
  }
  FetchRequest request;
  request.location = url;
  request.limits.connect = limits_.connect;
  request.limits.noData = limits_.noData;
  request.limits.maxBytes = limits_.maxLogoBytes;
  std::string bytes;
  const FetchResult fetched = fetchWhole(request, stop, bytes);
  switch (fetched.error) {
    case FetchError::None: break;
    case FetchError::Cancelled: r.status = Status::Cancelled; break;
    case FetchError::BadAddress: r.status = Status::BadAddress; break;
    case FetchError::TooLarge: r.status = Status::TooLarge; break;
    default: r.status = Status::Failed; break;
  }
  if (!fetched.ok()) {
    r.reason = fetched.words();
    return r;
  }
  if (!looksLikePicture(bytes)) {
    r.status = Status::NotPicture;
    r.reason = "not a picture";
    return r;
  }
  store(url, bytes);
  r.status = Status::Ok;
  r.bytes = std::move(bytes);
  return r;
}

bool LogoCache::store(std::string_view url, const std::string& bytes) {
  std::lock_guard<std::mutex> hold(lock_);
  if (!XdgFolders::ensure(folder_)) return false;
  if (!total_) {
    uint64_t sum = 0;
    for (const Entry& e : listLogos(folder_)) sum += e.size;
    total_ = sum;
  }
  if (!replaceFileAtomically(pathFor(url), bytes, 0600)) return false;
  *total_ += bytes.size();
  if (*total_ > limits_.maxTotalBytes) dropOldest(limits_.maxTotalBytes / 100 * kTrimToPercent);
  return true;
}

void LogoCache::dropOldest(uint64_t goal) {
  std::vector<Entry> logos = listLogos(folder_);
  std::sort(logos.begin(), logos.end(), [](const Entry& a, const Entry& b) { return a.used < b.used; });
  uint64_t sum = 0;
  for (const Entry& e : logos) sum += e.size;
  for (const Entry& e : logos) {
    if (sum <= goal) break;
    std::error_code ec;
    if (fs::remove(e.path, ec)) sum -= e.size;
  }
  total_ = sum;
}

uint64_t LogoCache::totalBytes() const {
  uint64_t sum = 0;
  for (const Entry& e : listLogos(folder_)) sum += e.size;
  return sum;
}

void LogoCache::trim() {
  std::lock_guard<std::mutex> hold(lock_);
  dropOldest(limits_.maxTotalBytes);
}

}  // namespace tembra
