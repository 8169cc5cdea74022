#include "source/XmltvGuideLoad.h"

#include <unistd.h>

#include <cstdio>

#include "xmltv/XmltvLoader.h"
#include "xmltv/XmltvWindow.h"

namespace tembra {

namespace {

// Streams one location into the loader; how many bytes it handed over.
FetchResult feed(XmltvLoader& loader, const FetchRequest& request, std::stop_token stop) {
  return fetchContent(request, stop, [&loader](std::string_view piece) {
    loader.feed(piece);
    return true;
  });
}

std::string describe(const std::string& location, const std::string& what) {
  return "The guide " + location + " " + what;
}

}  // namespace

GuideLoadOutcome loadGuides(const std::vector<GuideFetch>& guides, const std::vector<XmltvPlaylistChannel>& channels,
                            int64_t now, std::stop_token stop) {
  GuideLoadOutcome outcome;
  XmltvLoader loader(channels, XmltvWindow::around(now));
  size_t readable = 0;
  std::vector<std::string> problems;
  for (const GuideFetch& guide : guides) {
    if (stop.stop_requested()) return {};
    const bool cached = !guide.cachePath.empty() && ::access(guide.cachePath.c_str(), R_OK) == 0;
    FetchRequest request = guide.request;
    FetchResult fetched;
    bool fromCache = false;
    if (cached && guide.cacheFresh) {
      request.location = guide.cachePath;
      fetched = feed(loader, request, stop);
      fromCache = true;
    } else {
      if (!guide.cachePath.empty()) request.copyTo = guide.cachePath + ".download";
      fetched = feed(loader, request, stop);
      if (!fetched.ok() && fetched.contentBytes == 0 && cached && !stop.stop_requested()) {
        // Nothing came: the last good copy stands in, however old.
        problems.push_back(describe(guide.request.location, "could not be downloaded (" + fetched.words() +
                                                                "); its last good copy is shown"));
        FetchRequest fallback = guide.request;
        fallback.location = guide.cachePath;
        fetched = feed(loader, fallback, stop);
        fromCache = true;
      }
    }
    if (stop.stop_requested()) return {};
    const XmltvGuideReport report = loader.finishGuide();
    const bool whole = fetched.ok() && report.ok && !report.cutOff;
    if (!fromCache && !request.copyTo.empty()) {
      if (whole) std::rename(request.copyTo.c_str(), guide.cachePath.c_str());
      else ::unlink(request.copyTo.c_str());
    }
    if (report.ok) ++readable;
    if (!fetched.ok() && !fromCache) {
      problems.push_back(describe(guide.request.location, "could not be downloaded: " + fetched.words()));
    } else if (!report.ok) {
      problems.push_back(describe(guide.request.location, "could not be read: " +
                                                              (report.message.empty() ? "it is not an XMLTV guide"
                                                                                      : report.message)));
    } else if (report.cutOff) {
      problems.push_back(describe(guide.request.location, "was cut off; the programmes before the cut are shown"));
    }
  }
  if (readable > 0) outcome.store = loader.take();
  for (const std::string& problem : problems) {
    if (!outcome.problem.empty()) outcome.problem += " ";
    outcome.problem += problem + ".";
  }
  if (!outcome.store && outcome.problem.empty()) outcome.problem = "No guide could be read.";
  return outcome;
}

}  // namespace tembra
