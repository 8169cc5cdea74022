// An account's live line-up of 100,000 streams: reading the get_live_streams
// and get_live_categories replies and making the playlist of them (what
// the account source does off the window's thread), against parsing the
// same line-up written as an extended M3U playlist, which a playlist source
// reads. Both sides warm up first; each figure is the median of several runs.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "playlist/PlaylistParser.h"
#include "xtream/XtreamLineUp.h"
#include "xtream/XtreamReplyParser.h"

using namespace tembra;

namespace {

constexpr int kStreams = 100000;
constexpr int kGroups = 40;
constexpr int kRuns = 7;

// The replies as a typical server writes them: numbers as strings on
// every other stream, nulls where a text is missing.
std::string streamsReply() {
  std::string out = "[";
  for (int i = 0; i < kStreams; ++i) {
    const std::string n = std::to_string(i);
    const bool strings = i % 2 == 1;
    const auto number = [strings](const std::string& v) { return strings ? "\"" + v + "\"" : v; };
    if (i) out += ",";
    out += "{\"num\":" + number(std::to_string(i + 1)) + ",\"name\":\"Channel " + n +
           " HD\",\"stream_type\":\"live\",\"stream_id\":" + number(std::to_string(100000 + i)) +
           ",\"stream_icon\":\"https://logos.example.com/" + n + ".png\",\"epg_channel_id\":" +
           (i % 10 == 3 ? std::string("null") : "\"channel" + n + ".example\"") +
           ",\"added\":\"1700000000\",\"category_id\":\"" + std::to_string(i % kGroups) +
           "\",\"custom_sid\":null,\"tv_archive\":" + number(i % 4 == 0 ? "1" : "0") +
           ",\"direct_source\":\"\",\"tv_archive_duration\":" + number(i % 4 == 0 ? "7" : "0") + "}";
  }
  return out + "]";
}

std::string categoriesReply() {
  std::string out = "[";
  for (int g = 0; g < kGroups; ++g) {
    if (g) out += ",";
    out += "{\"category_id\":\"" + std::to_string(g) + "\",\"category_name\":\"Group " + std::to_string(g) +
           "\",\"parent_id\":0}";
  }
  return out + "]";
}

std::string playlistText(const XtreamAccount& account) {
  std::string m3u = "#EXTM3U url-tvg=\"" + account.guideUrl() + "\"\n";
  for (int i = 0; i < kStreams; ++i) {
    const std::string n = std::to_string(i);
    m3u += "#EXTINF:-1";
    if (i % 10 != 3) m3u += " tvg-id=\"channel" + n + ".example\"";
    m3u += " tvg-logo=\"https://logos.example.com/" + n + ".png\" group-title=\"Group " + std::to_string(i % kGroups) +
           "\" tvg-chno=\"" + std::to_string(i + 1) + "\"";
    if (i % 4 == 0) m3u += " catchup=\"xc\" catchup-days=\"7\"";
    m3u += ",Channel " + n + " HD\n" + account.streamUrl(std::to_string(100000 + i), false) + "\n";
  }
  return m3u;
}

double medianMs(const std::function<size_t()>& run) {
  run();  // warm-up: fresh memory is slow to touch on these machines
  std::vector<double> times;
  size_t check = 0;
  for (int i = 0; i < kRuns; ++i) {
    const auto start = std::chrono::steady_clock::now();
    check += run();
    times.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
  }
  if (check != static_cast<size_t>(kStreams) * kRuns) std::fprintf(stderr, "unexpected channel count\n");
  std::sort(times.begin(), times.end());
  return times[times.size() / 2];
}

}  // namespace

int main() {
  const XtreamAccount account{"http://tv.example:8080", "user", "pass"};
  const std::string streams = streamsReply();
  const std::string categories = categoriesReply();
  const std::string m3u = playlistText(account);

  const double ours = medianMs([&] {
    const auto c = XtreamReplyParser::categories(categories);
    auto s = XtreamReplyParser::streams(streams);
    return XtreamLineUp::playlist(account, {}, c.value, std::move(s.value)).channels.size();
  });
  const double baseline = medianMs([&] { return PlaylistParser::parse(m3u, "http://tv.example/list.m3u").channels.size(); });
  std::printf("streams reply %.1f MB, parsed with its line-up in %.1f ms\n", streams.size() / 1e6, ours);
  std::printf("the same line-up as M3U, %.1f MB, parsed in %.1f ms\n", m3u.size() / 1e6, baseline);
  std::printf("ratio xtream_lineup_100k %.2f goal 1.5\n", ours / baseline);
  return 0;
}
