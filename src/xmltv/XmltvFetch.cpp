#include "xmltv/XmltvFetch.h"

#include "platform/ContentFetch.h"
#include "xmltv/XmltvLoader.h"

namespace tembra {

XmltvGuideReport XmltvFetch::loadGuide(XmltvLoader& loader, const std::string& location, std::stop_token stop,
                                       bool* readable) {
  FetchRequest request;
  request.location = location;
  request.limits.maxBytes = kMaxGuideBytes;
  bool readerEnded = false;
  const FetchResult fetched = fetchContent(request, stop, [&](std::string_view piece) {
    if (loader.feed(piece)) return true;
    readerEnded = true;  // no XMLTV, or damaged: the rest is not needed
    return false;
  });
  XmltvGuideReport report = loader.finishGuide();
  report.location = location;
  report.gzip = report.gzip || fetched.gzip;
  if (readable) *readable = fetched.ok() || fetched.contentBytes > 0 || readerEnded;
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
  return report;
}

XmltvFetch::Result XmltvFetch::load(const std::vector<std::string>& locations,
                                    std::vector<XmltvPlaylistChannel> channels, const XmltvWindow& window,
                                    std::stop_token stop) {
  XmltvLoader loader(std::move(channels), window);
  Result result;
  for (const std::string& location : locations) {
    if (stop.stop_requested()) break;
    result.guides.push_back(loadGuide(loader, location, stop));
  }
  result.store = loader.take();
  return result;
}

}  // namespace tembra
