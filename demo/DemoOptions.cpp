#include "DemoOptions.h"

#include <arpa/inet.h>

#include <charconv>
#include <limits>
#include <string_view>
#include <type_traits>

namespace tembra {

namespace {

template <typename T>
bool parseNumber(std::string_view text, T& out) {
  if (text.empty()) return false;
  auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), out);
  return ec == std::errc() && end == text.data() + text.size();
}

// Only loopback: the service must never be reachable from another machine.
bool parseListen(std::string_view value, std::string& host, uint16_t& port, std::string& error) {
  size_t colon = value.rfind(':');
  if (colon == std::string_view::npos) {
    error = "--listen wants ADDRESS:PORT";
    return false;
  }
  std::string address(value.substr(0, colon));
  if (address == "localhost") address = "127.0.0.1";
  in_addr parsed{};
  if (inet_pton(AF_INET, address.c_str(), &parsed) != 1) {
    error = "--listen: " + address + " is not an IPv4 address";
    return false;
  }
  if ((ntohl(parsed.s_addr) >> 24) != 127) {
    error = "--listen: refusing " + address + ": the demo service listens on loopback only";
    return false;
  }
  uint32_t p = 0;
  if (!parseNumber(value.substr(colon + 1), p) || p > 65535) {
    error = "--listen: bad port";
    return false;
  }
  host = address;
  port = static_cast<uint16_t>(p);
  return true;
}

}  // namespace

bool DemoOptions::Parse(int argc, char** argv, std::string& error) {
  for (int i = 1; i < argc; ++i) {
    std::string_view arg = argv[i];
    std::string_view inlineValue;
    bool hasInline = false;
    if (arg.starts_with("--")) {
      size_t eq = arg.find('=');
      if (eq != std::string_view::npos) {
        inlineValue = arg.substr(eq + 1);
        arg = arg.substr(0, eq);
        hasInline = true;
      }
    }
    auto value = [&](std::string_view& out) {
      if (hasInline) {
        out = inlineValue;
        return true;
      }
      if (i + 1 >= argc) {
        error = std::string(arg) + " needs a value";
        return false;
      }
      out = argv[++i];
      return true;
    };
    auto number = [&](auto& out, uint64_t low, uint64_t high) {
      std::string_view v;
      if (!value(v)) return false;
      uint64_t n = 0;
      if (!parseNumber(v, n) || n < low || n > high) {
        error = std::string(arg) + ": expected a number from " + std::to_string(low) + " to " +
                std::to_string(high);
        return false;
      }
      out = static_cast<std::remove_reference_t<decltype(out)>>(n);
      return true;
    };
    auto flag = [&](bool& out) {
      if (hasInline) {
        error = std::string(arg) + " takes no value";
        return false;
      }
      out = true;
      return true;
    };
    std::string_view v;
    bool ok = true;
    if (arg == "--help" || arg == "-h") {
      help = true;
    } else if (arg == "--listen") {
      ok = value(v) && parseListen(v, listenHost, listenPort, error);
    } else if (arg == "--cache") {
      ok = value(v);
      if (ok) cacheDir = std::string(v);
      if (ok && cacheDir.empty()) {
        error = "--cache needs a folder";
        ok = false;
      }
    } else if (arg == "--xtream-user" || arg == "--xtream-password") {
      ok = value(v);
      if (ok && v.empty()) {
        error = std::string(arg) + " needs a value";
        ok = false;
      }
      if (ok) (arg == "--xtream-user" ? xtreamUser : xtreamPassword) = std::string(v);
    } else if (arg == "--groups") {
      ok = number(groups, 0, kMaxChannels);
    } else if (arg == "--channels-per-group") {
      ok = number(channelsPerGroup, 0, kMaxChannels);
    } else if (arg == "--programmes-per-day") {
      ok = number(programmesPerDay, 1, 1440);
    } else if (arg == "--duplicate-names") {
      ok = flag(duplicateNames);
    } else if (arg == "--missing-from-guide") {
      ok = number(missingFromGuide, 0, kMaxChannels);
    } else if (arg == "--guide-extra") {
      ok = number(guideExtra, 0, kMaxChannels);
    } else if (arg == "--seed") {
      ok = number(seed, 0, std::numeric_limits<uint64_t>::max());
    } else if (arg == "--no-notice") {
      ok = flag(noNotice);
    } else if (arg == "--notice") {
      ok = value(v);
      if (ok) noticeText = std::string(v);
      if (ok && (noticeText.empty() || noticeText.find_first_of("|$^") != std::string::npos)) {
        error = "--notice needs a text without '|', '^' or '$'";
        ok = false;
      }
    } else if (arg == "--forced-upgrade") {
      ok = flag(forcedUpgrade);
    } else if (arg == "--write-config") {
      ok = value(v);
      if (ok) writeConfigDir = std::string(v);
      if (ok && writeConfigDir.empty()) {
        error = "--write-config needs a folder";
        ok = false;
      }
    } else if (arg == "--dead-first") {
      ok = flag(deadFirst);
    } else if (arg == "--ad-link") {
      ok = flag(adLink);
    } else if (arg == "--ad-time") {
      ok = number(adTime, 0, std::numeric_limits<int64_t>::max());
    } else if (arg == "--stream-seconds") {
      ok = number(streamSeconds, 1, 60);
    } else if (arg == "--no-pregenerate") {
      ok = flag(noPregenerate);
    } else if (arg == "--hang-seconds") {
      ok = number(hangSeconds, 0, 3600);
    } else if (arg == "--epg-days") {
      ok = number(epgDays, 1, kMaxEpgDays);
    } else if (arg == "--playlist-crlf") {
      ok = flag(playlistCrlf);
    } else if (arg == "--slow-rate" || arg == "--slow-bytes-per-second") {
      ok = number(slowBytesPerSecond, 1, 1u << 20);
    } else if (arg == "--clock-offset") {
      ok = value(v);
      if (ok && !parseNumber(v, clockOffsetSeconds)) {
        error = "--clock-offset: expected whole seconds, e.g. -3600";
        ok = false;
      }
    } else if (arg == "--fault") {
      ok = value(v);
      while (ok && !v.empty()) {
        size_t comma = v.find(',');
        std::string_view name = v.substr(0, comma);
        v = comma == std::string_view::npos ? std::string_view() : v.substr(comma + 1);
        auto id = Faults::Find(name);
        if (!id) {
          error = "--fault: unknown fault " + std::string(name);
          ok = false;
        } else {
          faults.push_back(*id);
        }
      }
    } else if (arg.starts_with("--") && Faults::Find(arg.substr(2))) {
      bool on = false;
      ok = flag(on);
      if (ok) faults.push_back(*Faults::Find(arg.substr(2)));
    } else {
      error = "unknown switch " + std::string(arg) + " (see --help)";
      ok = false;
    }
    if (!ok) return false;
  }
  if (static_cast<uint64_t>(groups) * channelsPerGroup > kMaxChannels) {
    error = "--groups x --channels-per-group must not exceed " + std::to_string(kMaxChannels);
    return false;
  }
  if (noticeText.empty() == false && forcedUpgrade) {
    error = "--notice and --forced-upgrade exclude each other";
    return false;
  }
  return true;
}

std::string DemoOptions::HelpText() {
  std::string text =
      "Usage: tembra-demo-service [switches]\n"
      "A local stand-in for the operator's servers, for the Tembra Player and its tests.\n"
      "It listens on loopback only; the first line on stdout is\n"
      "\"listening on http://127.0.0.1:PORT\", the last start-up line is \"ready\".\n"
      "\n"
      "Listening and files:\n"
      "  --listen 127.0.0.1:PORT   address to listen on (loopback only; PORT 0 picks a\n"
      "                            free port; default 127.0.0.1:0)\n"
      "  --cache DIR               folder for generated streams and ad packages\n"
      "                            (default $XDG_CACHE_HOME/tembra-demo)\n"
      "  --write-config DIR        write DIR/config.ini pointing the client at this service\n"
      "  --dead-first              in that config, list a dead server first (failover)\n"
      "\n"
      "Data:\n"
      "  --groups N                channel groups (default 8)\n"
      "  --channels-per-group N    channels per group (default 12; at most 100000 in all)\n"
      "  --programmes-per-day N    programmes per channel and day (default 16 to 32)\n"
      "  --duplicate-names         every group uses the same channel names\n"
      "  --missing-from-guide N    the last N channels have no guide\n"
      "  --guide-extra N           N guide channels that are not in the catalogue\n"
      "  --seed N                  seed of the generated names and programmes (default 1)\n"
      "  --clock-offset SECONDS    /getTime runs this far ahead of the local clock\n"
      "\n"
      "Notices (UDP port 36000, in a network namespace of its own; needs root):\n"
      "  --no-notice               no namespace, no notice responder\n"
      "  --notice TEXT             answer queries with this notice ('#' breaks lines)\n"
      "  --forced-upgrade          answer queries with a forced upgrade\n"
      "\n"
      "Ads and streams:\n"
      "  --ad-link                 the right-pane ad is a link (type 1), not a package\n"
      "  --ad-time N               modifyTime of both ads (default 100)\n"
      "  --stream-seconds N        length of the looped stream segment (default 10)\n"
      "  --no-pregenerate          do not generate the first channel's stream at start\n"
      "\n"
      "Playlist and XMLTV guide (/playlist.m3u[.gz], /epg.xml[.gz], /logo/ID.png):\n"
      "  --epg-days N              days of the XMLTV guide from today (default 3, at\n"
      "                            most 14), each day as /tvitem.action gives it\n"
      "  --playlist-crlf           end the playlist's lines with CR LF\n"
      "  Catch-up (a past programme as a file that can be sought in): /catchup/ID.ts\n"
      "  ?utc=START&end=END&lutc=NOW, /stream/ID?utc=..., /timeshift/U/P/MIN/DATE/ID.ts,\n"
      "  /fs/ID/timeshift_abs-START.ts (flussonic channels, live at /fs/ID/mpegts)\n"
      "\n"
      "Provider account (player_api.php, /live/U/P/ID.ts, xmltv.php, /timeshift/...):\n"
      "  --xtream-user NAME        the account's user name (default demo)\n"
      "  --xtream-password TEXT    the account's password (default demo)\n"
      "\n"
      "Faults (at run time: POST /demo/faults with name=1&name=0...):\n"
      "  --fault NAME[,NAME...]    turn on the faults named (as the switches below)\n"
      "  --hang-seconds N          how long a hang holds the connection (default 60)\n"
      "  --slow-rate N             bytes per second of a slow answer (default 256)\n"
      "  --slow-bytes-per-second N the same as --slow-rate\n";
  for (const auto& f : Faults::Table()) {
    std::string line = std::string("  --") + f.name;
    if (line.size() < 28) line.resize(28, ' ');
    else line += ' ';
    text += line + f.help + "\n";
  }
  text +=
      "\n"
      "  --help                    this text\n"
      "\n"
      "Endpoints: /auth.action /tv.action /tvitem.action /getTime /collected pcad.action\n"
      "/ads/fix.zip /ads/pop.zip /stream/ID /catchup/ID.ts /fs/ID/mpegts /fs/ID/timeshift_abs-START.ts\n"
      "/playlist.m3u /playlist.m3u.gz /epg.xml\n"
      "/epg.xml.gz /logo/ID.png /player_api.php /live/U/P/ID.ts /xmltv.php\n"
      "/timeshift/U/P/MINUTES/YYYY-MM-DD:HH-MM/ID.ts; /demo/faults /demo/records /demo/notice\n"
      "/demo/status.\n";
  return text;
}

}  // namespace tembra
