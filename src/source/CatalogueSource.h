#pragma once
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "source/ChannelSource.h"
#include "source/PlaylistCatalogue.h"
#include "source/SourceSettings.h"

namespace tembra {

// What the playlist and the provider account have in common once their
// line-up is read: a catalogue swapped in whole by the loading thread and
// read by the window, the reason the last load failed, and the addresses
// of live and catch-up playing taken from the catalogue's entries.
class CatalogueSource : public ChannelSource {
 public:
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

  const SourceSettings settings_;
  mutable std::mutex lock_;
  std::shared_ptr<const PlaylistCatalogue> catalogue_;  // guarded by lock_
  bool fromCache_ = false;                              // guarded by lock_
  std::u16string status_;                               // guarded by lock_
};

}  // namespace tembra
