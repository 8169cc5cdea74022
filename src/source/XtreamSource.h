#pragma once
#include <chrono>
#include <memory>
#include <mutex>
#include <stop_token>
#include <string>
#include <thread>

#include "platform/ContentFetch.h"
#include "source/CatalogueSource.h"
#include "source/PlaylistCatalogue.h"
#include "source/SourceSettings.h"
#include "xtream/XtreamAccount.h"

namespace tembra {

class PlaylistGuide;

// A provider account as a channel source: its live line-up read from the
// account's API, and its XMLTV guide (xmltv.php) through the playlist
// guide.
//
// The last good replies are kept in the source's cache folder (the user's
// own files, mode 0600; never the password), so a start shows the channels
// at once while a fresh list loads in the background; a failed load keeps
// the last good list and says why. Parsing happens on the loading thread,
// never on the window's.
class XtreamSource : public CatalogueSource {
 public:
  struct Options {
    std::string cacheFolder;  // empty: nothing is cached
    std::chrono::milliseconds connect{10000};
    std::chrono::milliseconds noData{20000};
    FetchLimits guideLimits{std::chrono::seconds(10), std::chrono::seconds(30), uint64_t{4} << 30};
    std::chrono::seconds guideMaxAge{12 * 3600};
  };

  XtreamSource(SourceSettings settings, Options options);
  ~XtreamSource() override;
  XtreamSource(const XtreamSource&) = delete;
  XtreamSource& operator=(const XtreamSource&) = delete;

  void createGuide(MessageTarget* target) override;
  void catalogueArrived() override;
  GuideSource* guide() override;


 private:
  bool download(std::stop_token stop) override;
  bool loadCache() override;
  void install(Playlist playlist, bool fromCache);
  void writeCache(const std::string& categories, const std::string& streams, const std::vector<std::string>& formats);
  // Names the account the cached replies belong to (never its password).
  std::string cacheOwner() const;
  std::string cacheFile(const char* name) const;

  const Options options_;
  const XtreamAccount account_;


  std::unique_ptr<PlaylistGuide> guide_;                     // made by createGuide; GUI thread after that
  std::shared_ptr<const PlaylistCatalogue> guideCatalogue_;  // GUI thread, like guide_
  MessageTarget* guideTarget_ = nullptr;                     // likewise
};

}  // namespace tembra
