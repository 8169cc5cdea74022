#pragma once
#include <cstdint>
#include <stop_token>
#include <string>
#include <vector>

#include "xmltv/XmltvGuideReport.h"
#include "xmltv/XmltvPlaylistChannel.h"
#include "xmltv/XmltvStore.h"
#include "xmltv/XmltvWindow.h"

namespace tembra {

class XmltvLoader;

// The guides of a source read from their locations into one store.
class XmltvFetch {
 public:
  struct Result {
    XmltvStore store;
    std::vector<XmltvGuideReport> guides;  // one per location, in order
  };

  // Guides of any size load as a stream; this bounds what one fetch hands
  // over, after inflating.
  static constexpr uint64_t kMaxGuideBytes = uint64_t{16} << 30;

  // Reads every location (a file path or an http(s) URL, plain or gzip),
  // in order, streaming each into the loader. A guide that cannot be
  // fetched, or breaks off, gives what it had; the others load all the
  // same. A stop request ends it within a fraction of a second.
  static Result load(const std::vector<std::string>& locations, std::vector<XmltvPlaylistChannel> channels,
                     const XmltvWindow& window, std::stop_token stop);

  // One guide into a loader: the next of its list. `readable` is false
  // when the location gave no content at all (missing, refused, ...).
  static XmltvGuideReport loadGuide(XmltvLoader& loader, const std::string& location, std::stop_token stop,
                                    bool* readable = nullptr);
};

}  // namespace tembra
