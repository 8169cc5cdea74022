// tembra-tool epg GUIDE [--playlist PLAYLIST] [--at "YYYY-MM-DD HH:MM:SS"]:
// loads an XMLTV guide with the playlist source's loader and prints, as
// one JSON object, its counts and what is on now and next per channel.
#include <time.h>

#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "playlist/JsonWriter.h"
#include "playlist/PlaylistLoader.h"
#include "tools/Commands.h"
#include "tools/LocalTimeText.h"
#include "xmltv/XmltvFetch.h"
#include "xmltv/XmltvLoader.h"

namespace tembra::tools {

namespace {

constexpr const char* kEpgUsage =
    "usage: tembra-tool epg GUIDE [--playlist PLAYLIST] [--at \"YYYY-MM-DD HH:MM:SS\"]\n";

std::string formatLocal(int64_t utc) {
  const time_t t = static_cast<time_t>(utc);
  struct tm local {};
  localtime_r(&t, &local);
  char buf[32];
  std::strftime(buf, sizeof buf, "%Y-%m-%d %H:%M:%S", &local);
  return buf;
}

void appendProgramme(std::string& out, std::string_view key, const XmltvProgramme& p) {
  JsonWriter::appendString(out, key);
  out += ": {\"start\": ";
  JsonWriter::appendString(out, formatLocal(p.start));
  out += ", \"stop\": ";
  JsonWriter::appendString(out, formatLocal(p.stop));
  out += ", \"title\": ";
  JsonWriter::appendString(out, p.title);
  out += '}';
}

// One member ("now" or "next") with an entry per channel that has one.
template <typename Find>
void appendMember(std::string& out, const char* name, size_t count, const Find& find) {
  out += '"';
  out += name;
  out += "\": {";
  bool first = true;
  for (size_t i = 0; i < count; ++i) {
    std::string key;
    const std::optional<XmltvProgramme> p = find(i, key);
    if (!p) continue;
    out += first ? "\n  " : ",\n  ";
    first = false;
    appendProgramme(out, key, *p);
  }
  out += first ? "}" : "\n}";
}

}  // namespace

int runEpg(const std::vector<std::string>& args) {
  std::string guide, playlistLocation, atText;
  bool havePlaylist = false, haveAt = false;
  for (size_t i = 0; i < args.size(); ++i) {
    if (args[i] == "--playlist" && i + 1 < args.size() && !havePlaylist) {
      playlistLocation = args[++i];
      havePlaylist = true;
    } else if (args[i] == "--at" && i + 1 < args.size() && !haveAt) {
      atText = args[++i];
      haveAt = true;
    } else if (guide.empty() && !args[i].empty() && args[i][0] != '-') {
      guide = args[i];
    } else {
      std::fputs(kEpgUsage, stderr);
      return 2;
    }
  }
  if (guide.empty() || (havePlaylist && playlistLocation.empty())) {
    std::fputs(kEpgUsage, stderr);
    return 2;
  }
  int64_t at = static_cast<int64_t>(::time(nullptr));
  if (haveAt) {
    const auto parsed = LocalTimeText::parse(atText);
    if (!parsed) {
      std::fprintf(stderr, "tembra-tool: --at wants a local time as \"YYYY-MM-DD HH:MM:SS\", not \"%s\"\n",
                   atText.c_str());
      return 2;
    }
    at = *parsed;
  }

  std::vector<XmltvPlaylistChannel> channels;
  if (havePlaylist) {
    FetchRequest request;
    request.location = playlistLocation;
    const PlaylistLoadResult playlist = PlaylistLoader::load(request);
    if (!playlist.ok()) {
      std::fprintf(stderr, "tembra-tool: %s\n", playlist.message.c_str());
      return 2;
    }
    for (const PlaylistChannel& c : playlist.playlist.channels)
      channels.push_back(XmltvPlaylistChannel{c.tvgId, c.tvgName, c.name, c.shift});
  }

  // Without a playlist every channel and programme counts, whatever its
  // time: the file is being checked. With one, the window is the local
  // day of --at and the two after it, as the program keeps it.
  XmltvLoader loader = havePlaylist ? XmltvLoader(channels, XmltvWindow::around(at))
                                    : XmltvLoader(XmltvWindow::everything(at));
  bool readable = true;
  const XmltvGuideReport report = XmltvFetch::loadGuide(loader, guide, {}, &readable);
  if (!report.ok) {
    std::fprintf(stderr, "tembra-tool: %s: %s\n", guide.c_str(), report.message.c_str());
    return readable ? 1 : 2;
  }
  const XmltvStore store = loader.take();

  std::string out = "{\"channels\": " + std::to_string(report.channelElements) +
                    ", \"programmes\": " + std::to_string(report.programmeElements) + ",\n";
  if (havePlaylist) {
    const auto find = [&](bool now) {
      return [&store, at, now](size_t p, std::string& key) {
        key = std::to_string(p);
        return now ? store.now(p, at) : store.next(p, at);
      };
    };
    appendMember(out, "now", store.playlistSize(), find(true));
    out += ",\n";
    appendMember(out, "next", store.playlistSize(), find(false));
    out += ",\n\"matches\": [";
    for (size_t p = 0; p < store.playlistSize(); ++p) {
      if (p) out += ", ";
      if (store.channelOf(p) < 0) {
        out += "null";
      } else {
        JsonWriter::appendString(out, store.matchedId(p));
      }
    }
    out += "]";
  } else {
    const auto find = [&](bool now) {
      return [&store, at, now](size_t g, std::string& key) {
        key.assign(store.channelId(g));
        return now ? store.channelNow(g, at) : store.channelNext(g, at);
      };
    };
    appendMember(out, "now", store.channelCount(), find(true));
    out += ",\n";
    appendMember(out, "next", store.channelCount(), find(false));
  }
  out += "}\n";
  if (std::fwrite(out.data(), 1, out.size(), stdout) != out.size() || std::fflush(stdout) != 0) {
    std::fputs("tembra-tool: cannot write the result\n", stderr);
    return 2;
  }
  if (!report.message.empty()) std::fprintf(stderr, "tembra-tool: %s: %s\n", guide.c_str(), report.message.c_str());
  // A guide cut off or damaged midway is ill-formed: what it held is
  // printed, and the answer is negative.
  return report.cutOff ? 1 : 0;
}

}  // namespace tembra::tools
