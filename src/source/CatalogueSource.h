#pragma once
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <stop_token>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "source/ChannelSource.h"
#include "source/PlaylistCatalogue.h"
#include "source/SourceSettings.h"

namespace tembra {

// What the playlist and the provider account have in common: a start from
// the last good cached line-up with a fresh one downloaded behind it (or,
// with nothing cached, downloaded on the start-up's worker), a catalogue
// swapped in whole by the loading thread and read by the window, the
// reason the last load failed, and the addresses of live and catch-up
// playing taken from the catalogue's entries.
class CatalogueSource : public ChannelSource {
 public:
  void load(MessageTarget* target, uint32_t message) override;
  bool refresh() override;
  int catalogueLoaded() const override;
  std::vector<SourceGroup> groups() const override;
  std::vector<SourceChannelRef> channels(std::u16string_view groupId) const override;
  SourceChannelRef findChannel(std::u16string_view id) const override;
  std::optional<StreamRequest> streamFor(std::u16string_view id) const override;
  std::optional<StreamRequest> catchupFor(std::u16string_view id, int64_t start, int64_t stop) const override;
  std::u16string statusText() const override;

  const SourceSettings& settings() const { return settings_; }
  // The catalogue held now; null before a first good load.
  std::shared_ptr<const PlaylistCatalogue> catalogue() const;
  // Whether the channels shown came from the cache and no download has
  // replaced them yet.
  bool fromCache() const;

 protected:
  explicit CatalogueSource(SourceSettings settings) : settings_(std::move(settings)) {}

  // One download of the line-up; installs it when good. False on failure,
  // with the reason in status_.
  virtual bool download(std::stop_token stop) = 0;
  // Installs the cached line-up; false when there is none to show.
  virtual bool loadCache() = 0;
  // Ends a refresh that runs and waits for it: the first thing a derived
  // destructor does, as the refresh calls download.
  void stopRefresh();

  const SourceSettings settings_;
  mutable std::mutex lock_;
  std::shared_ptr<const PlaylistCatalogue> catalogue_;  // guarded by lock_
  bool fromCache_ = false;                              // guarded by lock_
  std::u16string status_;                               // guarded by lock_
  bool refreshing_ = false;                             // guarded by lock_
  MessageTarget* target_ = nullptr;                     // set by load, before any thread reads it
  uint32_t message_ = 0;                                // likewise
  std::stop_source stop_;
  std::jthread refreshThread_;  // started by load and refresh (GUI thread), joined by stopRefresh
};

}  // namespace tembra
