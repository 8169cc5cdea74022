#include "integration/DemoFeeds.h"

#include <zlib.h>

#include <cstdio>
#include <ctime>

#include "platform/Utf.h"
#include "xml/XmlDocument.h"

namespace tembra::test {

Gunzipped Gunzip(std::string_view bytes) {
  Gunzipped out;
  out.gzip = bytes.size() >= 2 && static_cast<unsigned char>(bytes[0]) == 0x1F &&
             static_cast<unsigned char>(bytes[1]) == 0x8B;
  if (!out.gzip) return out;
  z_stream z{};
  if (inflateInit2(&z, 15 + 16) != Z_OK) return out;
  z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(bytes.data()));
  z.avail_in = static_cast<uInt>(bytes.size());
  char buf[16384];
  int rc = Z_OK;
  while (rc == Z_OK) {
    z.next_out = reinterpret_cast<Bytef*>(buf);
    z.avail_out = sizeof buf;
    rc = inflate(&z, Z_NO_FLUSH);
    out.text.append(buf, sizeof buf - z.avail_out);
  }
  out.complete = rc == Z_STREAM_END && z.avail_in == 0;
  inflateEnd(&z);
  return out;
}

namespace {

std::vector<std::string_view> lines(std::string_view text) {
  std::vector<std::string_view> out;
  while (!text.empty()) {
    size_t nl = text.find('\n');
    std::string_view line = text.substr(0, nl);
    text = nl == std::string_view::npos ? std::string_view() : text.substr(nl + 1);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    out.push_back(line);
  }
  return out;
}

// name="value" pairs up to the first comma outside quotes; the rest after
// that comma is returned through title.
std::map<std::string, std::string> attributes(std::string_view text, std::string* title) {
  std::map<std::string, std::string> out;
  size_t i = 0;
  while (i < text.size()) {
    if (text[i] == ',') {
      if (title) *title = std::string(text.substr(i + 1));
      return out;
    }
    if (text[i] == ' ') {
      ++i;
      continue;
    }
    size_t eq = i;
    while (eq < text.size() && text[eq] != '=' && text[eq] != ' ' && text[eq] != ',') ++eq;
    if (eq + 1 >= text.size() || text[eq] != '=' || text[eq + 1] != '"') {
      // A bare word (the duration).
      i = eq;
      continue;
    }
    size_t close = text.find('"', eq + 2);
    if (close == std::string_view::npos) return out;
    out[std::string(text.substr(i, eq - i))] = std::string(text.substr(eq + 2, close - eq - 2));
    i = close + 1;
  }
  return out;
}

std::string childText(XmlDocument& doc, std::u16string_view name) {
  return doc.FindChild(name) ? toUtf8(doc.ReadChildText()) : std::string();
}

}  // namespace

M3u ParseM3u(std::string_view text) {
  M3u out;
  auto all = lines(text);
  if (all.empty() || all[0].substr(0, 7) != "#EXTM3U") return out;
  out.header = true;
  out.headerAttributes = attributes(all[0].substr(7), nullptr);
  std::optional<M3uEntry> pending;
  for (size_t i = 1; i < all.size(); ++i) {
    std::string_view line = all[i];
    if (line.empty()) continue;
    if (line.substr(0, 8) == "#EXTINF:") {
      pending = M3uEntry{};
      pending->attributes = attributes(line.substr(8), &pending->title);
    } else if (line[0] != '#' && pending) {
      pending->url = std::string(line);
      out.entries.push_back(std::move(*pending));
      pending.reset();
    }
  }
  return out;
}

Xmltv ParseXmltv(std::string_view text) {
  Xmltv out;
  XmlDocument doc(fromUtf8(text));
  // The parser closes what never ended at the end of the text and still
  // calls that well-formed: an element left open means a cut-off text.
  out.wellFormed = doc.IsWellFormed() && doc.ElementCount() > 0;
  for (size_t i = 1; out.wellFormed && i <= doc.ElementCount(); ++i)
    out.wellFormed = (doc.Element(i).flags & XmlDocument::kUnended) == 0;
  doc.ResetPos();
  if (!doc.FindSibling(u"tv")) return out;
  while (doc.FindChild()) {
    const std::u16string tag = doc.ReadChildTagName();
    if (tag == u"channel") {
      XmltvChannel c;
      c.id = toUtf8(doc.ReadChildAttribute(u"id"));
      doc.EnterChild();
      c.name = childText(doc, u"display-name");
      if (doc.FindChild(u"icon")) c.icon = toUtf8(doc.ReadChildAttribute(u"src"));
      doc.LeaveToParent();
      out.channels.push_back(std::move(c));
    } else if (tag == u"programme") {
      XmltvProgramme p;
      p.channel = toUtf8(doc.ReadChildAttribute(u"channel"));
      p.start = toUtf8(doc.ReadChildAttribute(u"start"));
      p.stop = toUtf8(doc.ReadChildAttribute(u"stop"));
      doc.EnterChild();
      p.title = childText(doc, u"title");
      p.desc = childText(doc, u"desc");
      p.category = childText(doc, u"category");
      doc.LeaveToParent();
      out.programmes.push_back(std::move(p));
    }
  }
  return out;
}

std::optional<int64_t> XmltvInstant(std::string_view stamp) {
  if (stamp.size() != 20 || stamp[14] != ' ' || (stamp[15] != '+' && stamp[15] != '-')) return std::nullopt;
  for (size_t i : {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 16, 17, 18, 19})
    if (stamp[i] < '0' || stamp[i] > '9') return std::nullopt;
  auto num = [&](size_t at, size_t n) { return std::stoi(std::string(stamp.substr(at, n))); };
  std::tm utc{};
  utc.tm_year = num(0, 4) - 1900;
  utc.tm_mon = num(4, 2) - 1;
  utc.tm_mday = num(6, 2);
  utc.tm_hour = num(8, 2);
  utc.tm_min = num(10, 2);
  utc.tm_sec = num(12, 2);
  const int offset = (num(16, 2) * 3600 + num(18, 2) * 60) * (stamp[15] == '-' ? -1 : 1);
  return static_cast<int64_t>(timegm(&utc)) - offset;
}

std::pair<std::string, std::string> WallClock(int64_t instant, int offsetSeconds) {
  std::time_t shifted = static_cast<std::time_t>(instant + offsetSeconds);
  std::tm t{};
  gmtime_r(&shifted, &t);
  char date[32], time[32];
  std::snprintf(date, sizeof date, "%04d-%02d-%02d", t.tm_year + 1900, t.tm_mon + 1, t.tm_mday);
  std::snprintf(time, sizeof time, "%02d:%02d:%02d", t.tm_hour, t.tm_min, t.tm_sec);
  return {date, time};
}

}  // namespace tembra::test
