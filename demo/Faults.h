#pragma once
#include <array>
#include <atomic>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace tembra {

// The fault switches of the demo service. Set from the command line and
// changed at run time through /demo/faults; every request handler reads
// them, so each switch is an atomic (no lock needed).
class Faults {
 public:
  enum Id : size_t {
    RefuseSignin,
    SigninNoTags,
    SigninUnconfirmed,
    HangSignin,
    SlowSignin,
    EmptyCatalogue,
    Catalogue404,
    Catalogue500,
    HangCatalogue,
    SlowCatalogue,
    Guide404,
    Guide500,
    GuideMalformed,
    HangGuide,
    SlowGuide,
    Ads404,
    Ads500,
    HangAds,
    SlowAds,
    Stats500,
    HangStats,
    HangTime,
    SlowTime,
    Stream404,
    Playlist404,
    PlaylistHang,
    PlaylistSlow,
    PlaylistNotM3u,
    Epg404,
    EpgHang,
    EpgSlow,
    EpgTruncated,
    EpgNotGzip,
    EpgGarbage,
    EpgWrongTz,
    XtreamRefused,
    XtreamExpired,
    XtreamBadJson,
    XtreamWrongShape,
    XtreamHang,
    XtreamSlow,
    Count
  };

  struct Info {
    const char* name;
    const char* help;
  };
  static const std::array<Info, Count>& Table();
  static std::optional<Id> Find(std::string_view name);

  bool on(Id id) const { return flags_[id].load(std::memory_order_relaxed); }
  void set(Id id, bool value) { flags_[id].store(value, std::memory_order_relaxed); }

  // "name=0|1" pairs joined by '&' (a form body). Applies nothing and
  // returns an error text when a name or value is unknown.
  std::string ApplyForm(std::string_view body);
  // One "name=0|1" line per switch.
  std::string Describe() const;

 private:
  std::array<std::atomic<bool>, Count> flags_{};
};

}  // namespace tembra
