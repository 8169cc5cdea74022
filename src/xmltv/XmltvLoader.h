#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "xmltv/XmltvChannelMatcher.h"
#include "xmltv/XmltvGuideReport.h"
#include "xmltv/XmltvPlaylistChannel.h"
#include "xmltv/XmltvStore.h"
#include "xmltv/XmltvWindow.h"

namespace tembra {

class XmltvGuideCollector;
class XmltvParser;

// Loads the guides of a source, one after the other, into one store. A
// playlist channel takes its programmes from the first guide of the list
// that matches it. Each guide is pushed in pieces as it arrives:
//
//   XmltvLoader loader(channels, XmltvWindow::around(now));
//   for each guide: loader.feed(piece)...; reports.push_back(loader.finishGuide());
//   XmltvStore store = loader.take();
class XmltvLoader {
 public:
  // Programmes of these playlist channels that overlap the window.
  XmltvLoader(std::vector<XmltvPlaylistChannel> channels, const XmltvWindow& window);
  // Every channel of the guides, each under its own id (checking a file).
  explicit XmltvLoader(const XmltvWindow& window);
  ~XmltvLoader();
  XmltvLoader(const XmltvLoader&) = delete;
  XmltvLoader& operator=(const XmltvLoader&) = delete;

  // The next piece of the current guide (the first piece starts one).
  // False once this guide's reading has ended; finishGuide() still says why.
  bool feed(std::string_view piece);
  // Ends the current guide and keeps what it gave.
  XmltvGuideReport finishGuide();

  // The store, once every guide is finished.
  XmltvStore take();


 private:
  void startGuide();

  std::unique_ptr<XmltvChannelMatcher> matcher_;  // null: every channel
  std::vector<uint8_t> settled_;  // playlist channels an earlier guide matched
  XmltvStore store_;
  std::unique_ptr<XmltvGuideCollector> collector_;
  std::unique_ptr<XmltvParser> parser_;
};

}  // namespace tembra
