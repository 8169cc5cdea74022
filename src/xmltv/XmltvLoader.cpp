#include "xmltv/XmltvLoader.h"

#include "xmltv/XmltvGuideCollector.h"
#include "xmltv/XmltvParser.h"
#include "xmltv/XmltvTime.h"

namespace tembra {

XmltvLoader::XmltvLoader(std::vector<XmltvPlaylistChannel> channels, const XmltvWindow& window) {
  store_.window_ = window;
  store_.playlistChannel_.assign(channels.size(), -1);
  store_.playlistShift_.reserve(channels.size());
  for (const XmltvPlaylistChannel& c : channels) store_.playlistShift_.push_back(XmltvTime::shiftSeconds(c.shift));
  settled_.assign(channels.size(), 0);
  matcher_ = std::make_unique<XmltvChannelMatcher>(channels);
}

XmltvLoader::XmltvLoader(const XmltvWindow& window) { store_.window_ = window; }

XmltvLoader::~XmltvLoader() = default;

void XmltvLoader::startGuide() {
  collector_ = std::make_unique<XmltvGuideCollector>(matcher_.get(), settled_, store_.window_, store_.pool_);
  parser_ = std::make_unique<XmltvParser>(*collector_);
}

bool XmltvLoader::feed(std::string_view piece) {
  if (!parser_) startGuide();
  return parser_->feed(piece);
}

XmltvGuideReport XmltvLoader::finishGuide() {
  if (!parser_) startGuide();
  XmltvGuideReport report = parser_->finish();
  // A guide that is no XMLTV gives nothing: its channels stay free for
  // the next guide of the list.
  if (report.ok) {
    report.channelsMatched = collector_->commit(store_, settled_);
    report.programmesKept = collector_->programmesKept();
    if (collector_->overCap() || store_.pool_.full()) {
      const std::string note = "it holds more programmes than are kept; the first ones are";
      report.message = report.message.empty() ? note : report.message + "; " + note;
    }
  }
  parser_.reset();
  collector_.reset();
  return report;
}

XmltvStore XmltvLoader::take() {
  parser_.reset();
  collector_.reset();
  return std::move(store_);
}

}  // namespace tembra
