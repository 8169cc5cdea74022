#pragma once
#include <cstdint>
#include <optional>
#include <stop_token>
#include <string>
#include <vector>

#include "platform/ContentFetch.h"
#include "xmltv/XmltvPlaylistChannel.h"
#include "xmltv/XmltvStore.h"

namespace tembra {

// One guide of a source: where it is, and its cached copy.
struct GuideFetch {
  FetchRequest request;
  std::string cachePath;    // empty: not cached
  bool cacheFresh = false;  // the cached copy is young enough to use without a download
};

struct GuideLoadOutcome {
  std::optional<XmltvStore> store;  // nothing when no guide could be read at all
  std::string problem;              // what went wrong, in words for the viewer; empty when nothing did
};

// Loads a source's guides in order into one store for the playlist's
// channels, kept for the local day of `now` and the two after it: a fresh
// cached copy is read instead of downloading; a download replaces the cached
// copy once it arrived whole; a failed download falls back on the cached
// copy, however old.
GuideLoadOutcome loadGuides(const std::vector<GuideFetch>& guides, const std::vector<XmltvPlaylistChannel>& channels,
                            int64_t now, std::stop_token stop);

}  // namespace tembra
