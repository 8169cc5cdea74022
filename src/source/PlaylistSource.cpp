#include "source/PlaylistSource.h"

#include <unistd.h>

#include <cstdio>
#include <ctime>

#include "platform/MessageTarget.h"
#include "platform/Utf.h"
#include "platform/XdgFolders.h"
#include "playlist/PlaylistLoader.h"
#include "playlist/PlaylistParser.h"
#include "source/PlaylistGuide.h"

namespace tembra {

namespace {

std::u16string failureText(const PlaylistLoadResult& result) {
  if (result.status == PlaylistLoadResult::Status::NotAPlaylist)
    return u"The playlist could not be opened: what arrived is not a playlist.";
  return fromUtf8("The playlist could not be downloaded: " + result.fetch.words() + ".");
}

}  // namespace

PlaylistSource::PlaylistSource(SourceSettings settings, Options options)
    : CatalogueSource(std::move(settings)), options_(std::move(options)) {}

PlaylistSource::~PlaylistSource() {
  stopRefresh();
  guide_.reset();
}

std::string PlaylistSource::cachePath() const {
  return options_.cacheFolder.empty() ? std::string() : options_.cacheFolder + "/playlist.m3u";
}

void PlaylistSource::install(Playlist playlist, bool fromCache) {
  auto catalogue = std::make_shared<const PlaylistCatalogue>(std::move(playlist));
  std::lock_guard guard(lock_);
  catalogue_ = std::move(catalogue);
  fromCache_ = fromCache;
  status_ = fromCache ? u"Channels from the cache; the playlist is being refreshed." : u"";
}

// The cached copy is the bytes as they were downloaded; relative addresses
// in it still belong to the playlist's own place.
bool PlaylistSource::loadCache() {
  const std::string path = cachePath();
  if (path.empty()) return false;
  std::string text;
  FetchRequest request;
  request.location = path;
  request.limits = options_.playlistLimits;
  if (!fetchWhole(request, stop_.get_token(), text).ok() || !PlaylistLoader::looksLikePlaylist(text)) return false;
  install(PlaylistParser::parse(text, PlaylistLoader::originOf(settings_.playlist)), true);
  return true;
}

bool PlaylistSource::download(std::stop_token stop) {
  FetchRequest request;
  request.location = settings_.playlist;
  request.userAgent = settings_.userAgent;
  request.limits = options_.playlistLimits;
  // The download lands beside the cache and replaces it only once it has
  // proved to be a playlist.
  const std::string cache = cachePath();
  const bool caching = !cache.empty() && XdgFolders::ensure(options_.cacheFolder);
  if (caching) request.copyTo = cache + ".download";
  PlaylistLoadResult result = PlaylistLoader::load(request, stop);
  if (stop.stop_requested()) return false;
  if (!result.ok()) {
    if (caching) ::unlink(request.copyTo.c_str());
    std::lock_guard guard(lock_);
    status_ = failureText(result);
    if (fromCache_) status_ += u" The channels shown are from the cache.";
    return false;
  }
  if (caching) ::rename(request.copyTo.c_str(), cache.c_str());
  install(std::move(result.playlist), false);
  return true;
}

void PlaylistSource::catalogueArrived() {
  std::shared_ptr<const PlaylistCatalogue> catalogue = this->catalogue();
  // Channel ids are places in the playlist: a new playlist needs its guide
  // matched again.
  if (guide_ && catalogue && catalogue != guideCatalogue_) createGuide(guideTarget_);
}

void PlaylistSource::createGuide(MessageTarget* target) {
  std::shared_ptr<const PlaylistCatalogue> catalogue = this->catalogue();
  guideTarget_ = target;
  guideCatalogue_ = catalogue;
  PlaylistGuide::Options options;
  options.cacheFolder = options_.cacheFolder;
  options.limits = options_.guideLimits;
  options.maxAge = options_.guideMaxAge;
  guide_ = std::make_unique<PlaylistGuide>(settings_, std::move(options));
  guide_->start(target, catalogue);
}

GuideSource* PlaylistSource::guide() { return guide_.get(); }

}  // namespace tembra
