#include "xmltv/XmltvFetch.h"

#include "platform/ContentFetch.h"
#include "xmltv/XmltvLoader.h"

namespace tembra {

XmltvFetch::Result XmltvFetch::load(const std::vector<std::string>& locations,
                                    std::vector<XmltvPlaylistChannel> channels, const XmltvWindow& window,
                                    std::stop_token stop) {
  XmltvLoader loader(std::move(channels), window);
  Result result;
  for (const std::string& location : locations) {
    if (stop.stop_requested()) break;
    FetchRequest request;
    request.location = location;
    request.limits.maxBytes = kMaxGuideBytes;
    bool readerEnded = false;
    const FetchResult fetched = fetchContent(request, stop, [&](std::string_view piece) {
      if (loader.feed(piece)) return true;
      readerEnded = true;  // not XMLTV or damaged: the rest is not needed
      return false;
    });
    XmltvGuideReport report = loader.finishGuide();
    report.location = location;
    if (!fetched.ok() && !readerEnded) {
      const std::string words = "could not be read: " + fetched.words();
      if (report.ok) {
        report.cutOff = true;
        report.message = words + "; what came before it is kept";
      } else if (fetched.contentBytes == 0) {
        report.message = words;
      } else {
        report.message = words + " (" + report.message + ")";
      }
    }
    result.guides.push_back(std::move(report));
  }
  result.store = loader.take();
  return result;
}

}  // namespace tembra
