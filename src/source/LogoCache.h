#pragma once
#include <chrono>
#include <cstdint>
#include <mutex>
#include <optional>
#include <stop_token>
#include <string>
#include <string_view>

namespace tembra {

// The channels' logos on disk: one file per logo address, named by a hash
// of the address, under $XDG_CACHE_HOME/tembra/logos. A logo is downloaded
// once and read from there on later starts. Each logo is capped in size and
// must be a picture (PNG, JPEG, GIF, BMP, WebP or ICO by its first bytes);
// the folder is kept under a total size by dropping the logos used longest
// ago. Safe to call from many threads; two programs sharing the folder
// only ever see whole files (each is written aside and renamed).
class LogoCache {
 public:
  struct Limits {
    uint64_t maxLogoBytes = 512u << 10;
    uint64_t maxTotalBytes = 64u << 20;
    std::chrono::milliseconds connect{5000};
    std::chrono::milliseconds noData{10000};
  };

  enum class Status {
    Ok,
    BadAddress,  // not an http(s) URL or a file
    Failed,      // no answer, an HTTP error, a cut-off transfer
    TooLarge,    // over maxLogoBytes
    NotPicture,  // the content is not a picture of a known kind
    Cancelled,
  };

  struct Result {
    Status status = Status::Failed;
    std::string bytes;   // the logo's file content when Ok
    std::string reason;  // in words, for the log, when not Ok
    bool fromDisk = false;
  };

  static std::string defaultFolder();  // $XDG_CACHE_HOME/tembra/logos
  // The file name of an address: 32 hex digits of a 128-bit hash.
  static std::string fileNameFor(std::string_view url);
  // True when the bytes start like a picture of a kind the window decodes.
  static bool looksLikePicture(std::string_view bytes);

  explicit LogoCache(std::string folder, Limits limits);
  explicit LogoCache(std::string folder) : LogoCache(std::move(folder), Limits{}) {}

  // The logo of url: from the folder when it holds it (marking it used),
  // else downloaded, checked and stored. Blocks; the stop token ends a
  // download early.
  Result get(const std::string& url, std::stop_token stop = {});
  // The stored logo of url, or nothing, without any download.
  std::optional<std::string> stored(std::string_view url);
  // The bytes the folder's logos take now.
  uint64_t totalBytes() const;
  // Drops the logos used longest ago until the folder is within its limit.
  void trim();

  const std::string& folder() const { return folder_; }
  const Limits& limits() const { return limits_; }

 private:
  std::string pathFor(std::string_view url) const;
  bool store(std::string_view url, const std::string& bytes);
  // Drops the logos used longest ago until the folder holds at most goal
  // bytes; lock_ is held.
  void dropOldest(uint64_t goal);

  const std::string folder_;
  const Limits limits_;
  // Serialises stores and trims, so two threads never drop a file the
  // other just counted, and guards total_.
  mutable std::mutex lock_;
  // The folder's size as last counted plus what was stored since; read
  // from the folder on first need.
  std::optional<uint64_t> total_;
};

}  // namespace tembra
