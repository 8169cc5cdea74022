#include "source/XtreamSource.h"

#include <unistd.h>

#include <ctime>

#include "platform/AtomicFile.h"
#include "platform/MessageTarget.h"
#include "platform/Utf.h"
#include "platform/XdgFolders.h"
#include "source/AccountGuide.h"
#include "xtream/XtreamClient.h"
#include "xtream/XtreamReplyParser.h"

namespace tembra {

namespace {

constexpr size_t kMaxFormatsBytes = 4096;

bool readCached(const std::string& path, size_t cap, std::string& text) {
  FetchRequest request;
  request.location = path;
  request.limits.maxBytes = cap;
  return fetchWhole(request, std::stop_token(), text).ok();
}

std::vector<std::string> linesOf(std::string_view text) {
  std::vector<std::string> out;
  while (!text.empty()) {
    const size_t end = text.find('\n');
    if (end != 0) out.emplace_back(text.substr(0, end));
    if (end == std::string_view::npos) break;
    text.remove_prefix(end + 1);
  }
  return out;
}

}  // namespace

XtreamSource::XtreamSource(SourceSettings settings, Options options)
    : CatalogueSource(std::move(settings)),
      options_(std::move(options)),
      account_{settings_.server, settings_.user, settings_.password} {}

XtreamSource::~XtreamSource() {
  stopRefresh();
  guide_.reset();
}

std::string XtreamSource::cacheFile(const char* name) const {
  return options_.cacheFolder.empty() ? std::string() : options_.cacheFolder + "/" + name;
}

std::string XtreamSource::cacheOwner() const { return account_.base() + "\n" + settings_.user + "\n"; }

void XtreamSource::install(Playlist playlist, bool fromCache) {
  auto catalogue = std::make_shared<const PlaylistCatalogue>(std::move(playlist));
  std::lock_guard guard(lock_);
  catalogue_ = std::move(catalogue);
  fromCache_ = fromCache;
  status_ = fromCache ? u"Channels from the cache; the account's list is being refreshed." : u"";
}

// The replies as they came, and whose they are: a changed server or user
// never shows another account's channels.
void XtreamSource::writeCache(const std::string& categories, const std::string& streams,
                              const std::vector<std::string>& formats) {
  if (options_.cacheFolder.empty() || !XdgFolders::ensure(options_.cacheFolder)) return;
  std::string formatText;
  for (const std::string& f : formats) formatText += f + "\n";
  // The owner goes last: a cache cut short by a failure is never taken
  // for a whole one.
  ::unlink(cacheFile("account").c_str());
  if (replaceFileAtomically(cacheFile("categories.json"), categories, 0600) &&
      replaceFileAtomically(cacheFile("streams.json"), streams, 0600) &&
      replaceFileAtomically(cacheFile("formats"), formatText, 0600))
    replaceFileAtomically(cacheFile("account"), cacheOwner(), 0600);
}

bool XtreamSource::loadCache() {
  if (options_.cacheFolder.empty()) return false;
  std::string owner, categories, streams, formats;
  if (!readCached(cacheFile("account"), 4096, owner) || owner != cacheOwner()) return false;
  if (!readCached(cacheFile("categories.json"), XtreamReplyParser::kMaxCategoriesBytes, categories) ||
      !readCached(cacheFile("streams.json"), XtreamReplyParser::kMaxStreamsBytes, streams) ||
      !readCached(cacheFile("formats"), kMaxFormatsBytes, formats))
    return false;
  std::optional<Playlist> playlist = XtreamClient::fromReplies(account_, linesOf(formats), categories, streams);
  if (!playlist) return false;
  install(std::move(*playlist), true);
  return true;
}

bool XtreamSource::download(std::stop_token stop) {
  XtreamClient::Result result;
  if (settings_.passwordStored && settings_.password.empty()) {
    result.problem = "The account's password could not be read from the desktop's secret store.";
  } else {
    XtreamClient::Options options;
    options.limits.connect = options_.connect;
    options.limits.noData = options_.noData;
    options.userAgent = settings_.userAgent;
    result = XtreamClient(account_, options).load(stop);
  }
  if (stop.stop_requested()) return false;
  if (!result.ok()) {
    std::lock_guard guard(lock_);
    status_ = fromUtf8(result.problem);
    if (catalogue_) status_ += fromCache_ ? u" The channels shown are from the cache." : u" The last good list is shown.";
    return false;
  }
  writeCache(result.categoriesReply, result.streamsReply, result.user.formats);
  install(std::move(result.playlist), false);
  return true;
}

void XtreamSource::catalogueArrived() {
  const std::shared_ptr<const PlaylistCatalogue> catalogue = this->catalogue();
  if (guide_ && catalogue && catalogue != guideCatalogue_) createGuide(guideTarget_);
}

void XtreamSource::createGuide(MessageTarget* target) {
  guideTarget_ = target;
  guideCatalogue_ = catalogue();
  PlaylistGuide::Options options;
  options.cacheFolder = options_.cacheFolder;
  options.limits = options_.guideLimits;
  options.maxAge = options_.guideMaxAge;
  // The account's own guide comes with its line-up.
  SourceSettings guideSettings = settings_;
  guideSettings.guides.clear();
  guide_ = std::make_unique<AccountGuide>(std::move(guideSettings), std::move(options), settings_.password);
  guide_->start(target, guideCatalogue_);
}

GuideSource* XtreamSource::guide() { return guide_.get(); }

}  // namespace tembra
