#pragma once
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "xmltv/TextPool.h"
#include "xmltv/XmltvProgramme.h"
#include "xmltv/XmltvWindow.h"

namespace tembra {

// The programmes a source's guides gave for its channels: per guide
// channel, sorted by start, in UTC. A playlist channel maps to one guide
// channel (or none) and brings its own shift, applied as it is queried, so
// two playlist channels can share a guide channel with different shifts.
// Immutable once loaded; queries may run on any thread.
class XmltvStore {
 public:
  XmltvStore() = default;
  XmltvStore(XmltvStore&&) noexcept = default;
  XmltvStore& operator=(XmltvStore&&) noexcept = default;

  // Playlist channels, as given to the loader.
  size_t playlistSize() const { return playlistChannel_.size(); }
  // The guide channel kept for playlist channel p, or -1.
  int32_t channelOf(size_t p) const;
  // Its guide channel's id, empty when it has none.
  std::string_view matchedId(size_t p) const;
  int64_t shiftOf(size_t p) const;

  // The programme on at `at` (start <= at < stop; of programmes that
  // overlap, the one that started last), the next one (the smallest start
  // after `at`), and the programmes overlapping local day d (0, 1, 2 of the
  // window) by start, all with the channel's shift applied.
  std::optional<XmltvProgramme> now(size_t p, int64_t at) const;
  std::optional<XmltvProgramme> next(size_t p, int64_t at) const;
  std::vector<XmltvProgramme> day(size_t p, int d) const;

  // The same by guide channel, with a shift in seconds.
  size_t channelCount() const { return channels_.size(); }
  std::string_view channelId(size_t g) const { return channels_[g].id; }
  size_t channelProgrammeCount(size_t g) const { return channels_[g].programmes.size(); }
  std::optional<XmltvProgramme> channelNow(size_t g, int64_t at, int64_t shift = 0) const;
  std::optional<XmltvProgramme> channelNext(size_t g, int64_t at, int64_t shift = 0) const;
  std::vector<XmltvProgramme> channelDay(size_t g, int d, int64_t shift = 0) const;

  const XmltvWindow& window() const { return window_; }
  size_t programmeCount() const;
  // Roughly what the store holds in memory.
  size_t memoryBytes() const;

 private:
  friend class XmltvLoader;
  friend class XmltvGuideCollector;

  struct Channel {
    std::string id;
    std::vector<StoredProgramme> programmes;  // by start; equal starts in guide order
  };

  XmltvProgramme view(const StoredProgramme& s, int64_t shift) const;

  XmltvWindow window_;
  TextPool pool_;
  std::vector<Channel> channels_;
  std::vector<int32_t> playlistChannel_;
  std::vector<int64_t> playlistShift_;
};

}  // namespace tembra
