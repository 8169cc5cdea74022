#include "source/CatalogueSource.h"

#include <ctime>
#include <system_error>

#include "platform/MessageTarget.h"
#include "platform/Utf.h"
#include "playlist/CatchupAddress.h"

namespace tembra {

void CatalogueSource::load(MessageTarget* target, uint32_t message) {
  target_ = target;
  message_ = message;
  if (loadCache()) {
    // Shown at once; the fresh copy follows.
    refresh();
    return;
  }
  download(stop_.get_token());
}

bool CatalogueSource::refresh() {
  {
    std::lock_guard guard(lock_);
    if (refreshing_) return true;
    refreshing_ = true;
  }
  if (refreshThread_.joinable()) refreshThread_.join();  // it has ended: refreshing_ was false
  try {
    refreshThread_ = std::jthread([this](std::stop_token own) {
      // Either the source's stop or the thread's own ends the download.
      std::stop_source both;
      std::stop_callback fromSource(stop_.get_token(), [&both] { both.request_stop(); });
      std::stop_callback fromThread(own, [&both] { both.request_stop(); });
      download(both.get_token());
      {
        std::lock_guard guard(lock_);
        refreshing_ = false;
      }
      if (!both.stop_requested() && target_ != nullptr) target_->post(message_, 0, 0);
    });
  } catch (const std::system_error&) {
    std::lock_guard guard(lock_);
    refreshing_ = false;
    return false;
  }
  return true;
}

void CatalogueSource::stopRefresh() {
  stop_.request_stop();
  if (refreshThread_.joinable()) refreshThread_.join();
}

int CatalogueSource::catalogueLoaded() const {
  std::lock_guard guard(lock_);
  return catalogue_ ? 1 : 0;
}

std::shared_ptr<const PlaylistCatalogue> CatalogueSource::catalogue() const {
  std::lock_guard guard(lock_);
  return catalogue_;
}

bool CatalogueSource::fromCache() const {
  std::lock_guard guard(lock_);
  return fromCache_;
}

std::u16string CatalogueSource::statusText() const {
  std::lock_guard guard(lock_);
  return status_;
}

std::vector<SourceGroup> CatalogueSource::groups() const {
  const auto catalogue = this->catalogue();
  return catalogue ? catalogue->groups() : std::vector<SourceGroup>{};
}

std::vector<SourceChannelRef> CatalogueSource::channels(std::u16string_view groupId) const {
  const auto catalogue = this->catalogue();
  return catalogue ? catalogue->channels(groupId) : std::vector<SourceChannelRef>{};
}

SourceChannelRef CatalogueSource::findChannel(std::u16string_view id) const {
  const auto catalogue = this->catalogue();
  return catalogue ? catalogue->find(id) : nullptr;
}

std::optional<StreamRequest> CatalogueSource::streamFor(std::u16string_view id) const {
  const auto catalogue = this->catalogue();
  const PlaylistChannel* entry = catalogue ? catalogue->entry(id) : nullptr;
  if (entry == nullptr) return std::nullopt;
  StreamRequest request;
  request.address = fromUtf8(entry->url);
  request.name = fromUtf8(entry->name);
  // The source's own user agent stands in where the entry names none.
  request.userAgent = entry->userAgent.empty() ? settings_.userAgent : entry->userAgent;
  request.referrer = entry->referrer;
  return request;
}

std::optional<StreamRequest> CatalogueSource::catchupFor(std::u16string_view id, int64_t start, int64_t stop) const {
  std::optional<StreamRequest> request = streamFor(id);
  const auto catalogue = this->catalogue();
  const PlaylistChannel* entry = catalogue ? catalogue->entry(id) : nullptr;
  if (!request || entry == nullptr || stop <= start) return std::nullopt;
  const std::optional<std::string> address =
      CatchupAddress::build(*entry, {start, stop, static_cast<int64_t>(std::time(nullptr))});
  if (!address) return std::nullopt;
  request->address = fromUtf8(*address);
  return request;
}

}  // namespace tembra
