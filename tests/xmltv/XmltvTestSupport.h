#pragma once
// Guides written for the tests, fed to a loader in pieces of a chosen
// size, and the time zone set for one test.
#include <stdlib.h>
#include <time.h>

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "Deflate.h"
#include "TimeZone.h"
#include "xmltv/XmltvLoader.h"
#include "xmltv/XmltvTime.h"

namespace tembra::test {

// UTC seconds of a UTC date and time.
inline int64_t utc(int y, int mo, int d, int h = 0, int mi = 0, int s = 0) {
  return XmltvTime::fromCivil(y, mo, d, h, mi, s);
}

// UTC seconds of a local date and time (TZ applies).
inline int64_t local(int y, int mo, int d, int h = 0, int mi = 0, int s = 0) {
  struct tm t {};
  t.tm_year = y - 1900;
  t.tm_mon = mo - 1;
  t.tm_mday = d;
  t.tm_hour = h;
  t.tm_min = mi;
  t.tm_sec = s;
  t.tm_isdst = -1;
  return static_cast<int64_t>(::mktime(&t));
}

// Pushes bytes into the loader in pieces of `piece` bytes, ends the guide.
inline XmltvGuideReport feedGuide(XmltvLoader& loader, std::string_view bytes, size_t piece) {
  for (size_t at = 0; at < bytes.size(); at += piece) {
    if (!loader.feed(bytes.substr(at, piece))) break;
  }
  return loader.finishGuide();
}

// The piece sizes every reading is tried with: byte by byte, odd small
// pieces, and what a download hands over.
inline const std::vector<size_t>& pieceSizes() {
  static const std::vector<size_t> sizes = {1, 2, 3, 7, 64, 1000, 64 * 1024};
  return sizes;
}

// A programme element; stop may be empty for none.
inline std::string programme(const std::string& channel, const std::string& start, const std::string& stop,
                             const std::string& title, const std::string& extra = "") {
  std::string s = "<programme start=\"" + start + "\"";
  if (!stop.empty()) s += " stop=\"" + stop + "\"";
  s += " channel=\"" + channel + "\"><title lang=\"en\">" + title + "</title>" + extra + "</programme>\n";
  return s;
}

inline std::string channelElement(const std::string& id, const std::vector<std::string>& names) {
  std::string s = "<channel id=\"" + id + "\">";
  for (const auto& n : names) s += "<display-name>" + n + "</display-name>";
  return s + "</channel>\n";
}

inline std::string guide(const std::string& body) {
  return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<!DOCTYPE tv SYSTEM \"xmltv.dtd\">\n<tv generator-info-name=\"t\">\n" +
         body + "</tv>\n";
}

}  // namespace tembra::test

namespace tembra::test {

struct Loaded {
  XmltvStore store;
  XmltvGuideReport report;
};

// One guide for these playlist channels.
inline Loaded loadFor(const std::string& bytes, std::vector<XmltvPlaylistChannel> channels, const XmltvWindow& window,
                      size_t piece = 64 * 1024) {
  XmltvLoader loader(std::move(channels), window);
  XmltvGuideReport report = feedGuide(loader, bytes, piece);
  return {loader.take(), std::move(report)};
}

// One guide, every channel and programme kept.
inline Loaded loadAll(const std::string& bytes, size_t piece = 64 * 1024, int64_t now = 0) {
  XmltvLoader loader(XmltvWindow::everything(now));
  XmltvGuideReport report = feedGuide(loader, bytes, piece);
  return {loader.take(), std::move(report)};
}

inline XmltvPlaylistChannel byId(const std::string& id, double shift = 0) {
  XmltvPlaylistChannel c;
  c.tvgId = id;
  c.shift = shift;
  return c;
}

// The index of the guide channel with this id in a store, or -1.
inline int channelIndex(const XmltvStore& store, std::string_view id) {
  for (size_t g = 0; g < store.channelCount(); ++g) {
    if (store.channelId(g) == id) return static_cast<int>(g);
  }
  return -1;
}

}  // namespace tembra::test
