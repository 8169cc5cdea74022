#pragma once
#include <chrono>
#include <memory>
#include <mutex>
#include <stop_token>
#include <string>
#include <thread>

#include "platform/ContentFetch.h"
#include "source/CatalogueSource.h"
#include "source/GuideSource.h"
#include "source/PlaylistCatalogue.h"
#include "source/SourceSettings.h"

namespace tembra {

class PlaylistGuide;

// A playlist and its XMLTV guides as a channel source.
//
// The last good playlist is kept in the source's cache folder, so a start
// shows its channels at once, also with the provider down, while a fresh
// copy downloads in the background. Without a cached copy the first load
// downloads on the start-up's worker. Every download is bounded (connect,
// silence, size) and cancellable: the source's destructor stops and joins
// its threads.
class PlaylistSource : public CatalogueSource {
 public:
  struct Options {
    // This source's own cache folder; empty: nothing is cached.
    std::string cacheFolder;
    FetchLimits playlistLimits{std::chrono::seconds(10), std::chrono::seconds(20), uint64_t{256} << 20};
    FetchLimits guideLimits{std::chrono::seconds(10), std::chrono::seconds(30), uint64_t{4} << 30};
    // A cached guide older than this is downloaded again.
    std::chrono::seconds guideMaxAge{12 * 3600};
  };

  PlaylistSource(SourceSettings settings, Options options);
  ~PlaylistSource() override;
  PlaylistSource(const PlaylistSource&) = delete;
  PlaylistSource& operator=(const PlaylistSource&) = delete;

  void createGuide(MessageTarget* target) override;
  void catalogueArrived() override;
  GuideSource* guide() override;


 private:
  // One download of the playlist; installs it when good. False on failure,
  // with the reason in status_.
  bool download(std::stop_token stop) override;
  bool loadCache() override;
  void install(Playlist playlist, bool fromCache);
  std::string cachePath() const;

  const Options options_;


  std::unique_ptr<PlaylistGuide> guide_;  // made by createGuide; GUI thread after that
  // The catalogue the guide was made for: a new one gets a new guide.
  std::shared_ptr<const PlaylistCatalogue> guideCatalogue_;  // GUI thread, like guide_
  MessageTarget* guideTarget_ = nullptr;                     // likewise
};

}  // namespace tembra
