// tembra-tool playlist PLAYLIST: reads an extended M3U playlist (a file or
// an http(s) URL) the way a playlist source does and prints what it found as
// one JSON object. With --xtream SERVER USER PASSWORD it prints a provider
// account's live line-up the same way.
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <mutex>
#include <stop_token>
#include <thread>
#include <string>

#include "playlist/JsonWriter.h"
#include "playlist/PlaylistLoader.h"
#include "playlist/PlaylistParser.h"
#include "tools/Commands.h"
#include "xtream/XtreamClient.h"

namespace tembra::tools {

namespace {

void appendChannel(std::string& out, const PlaylistChannel& c) {
  const auto text = [&out](const char* key, const std::string& value) {
    out += '"';
    out += key;
    out += "\": ";
    JsonWriter::appendString(out, value);
    out += ", ";
  };
  out += '{';
  text("name", c.name);
  text("url", c.url);
  out += "\"groups\": [";
  for (size_t i = 0; i < c.groups.size(); ++i) {
    if (i) out += ", ";
    JsonWriter::appendString(out, c.groups[i]);
  }
  out += "], ";
  text("tvgId", c.tvgId);
  text("tvgName", c.tvgName);
  text("logo", c.logo);
  out += "\"number\": ";
  JsonWriter::appendInt(out, c.number);
  out += ", \"shift\": ";
  JsonWriter::appendNumber(out, c.shift);
  out += ", ";
  text("userAgent", c.userAgent);
  text("referrer", c.referrer);
  text("catchup", c.catchup);
  text("catchupSource", c.catchupSource);
  out += "\"catchupDays\": ";
  JsonWriter::appendInt(out, c.catchupDays);
  out += '}';
}

constexpr std::chrono::seconds kXtreamDeadline{55};

bool write(const std::string& text) { return std::fwrite(text.data(), 1, text.size(), stdout) == text.size(); }


// The whole playlist as one JSON object on stdout; 0, or 2 when it could
// not be written.
int printPlaylist(const Playlist& playlist) {
  std::string out = "{\"guides\": [";
  for (size_t i = 0; i < playlist.guides.size(); ++i) {
    if (i) out += ", ";
    JsonWriter::appendString(out, playlist.guides[i]);
  }
  out += "], \"channels\": [";
  bool written = true;
  for (size_t i = 0; i < playlist.channels.size(); ++i) {
    out += i ? ",\n" : "\n";
    appendChannel(out, playlist.channels[i]);
    if (out.size() > (1u << 20)) {
      written = written && write(out);
      out.clear();
    }
  }
  out += playlist.channels.empty() ? "]}\n" : "\n]}\n";
  written = written && write(out) && std::fflush(stdout) == 0;
  if (!written) {
    std::fputs("tembra-tool: cannot write the result\n", stderr);
    return 2;
  }
  if (playlist.truncated)
    std::fprintf(stderr, "tembra-tool: only the first %zu channels are read; the rest are left out\n",
                 PlaylistParser::kMaxChannels);
  return 0;
}

int runXtream(const std::vector<std::string>& args) {
  if (args.size() != 4 || args[1].empty()) {
    std::fputs("tembra-tool: usage: tembra-tool playlist --xtream SERVER USER PASSWORD\n", stderr);
    return 2;
  }
  const XtreamClient client(XtreamAccount{args[1], args[2], args[3]}, XtreamClient::Options{});
  // Each request gives up after its own silence, but a server that trickles
  // could hold the three of them for long: the whole load has a deadline.
  std::stop_source deadline;
  std::jthread timer([&deadline](std::stop_token ended) {
    std::mutex lock;
    std::condition_variable_any wake;
    std::unique_lock held(lock);
    wake.wait_for(held, ended, kXtreamDeadline, [] { return false; });
    if (!ended.stop_requested()) deadline.request_stop();
  });
  const XtreamClient::Result result = client.load(deadline.get_token());
  timer.request_stop();
  if (!result.ok()) {
    if (deadline.stop_requested())
      std::fprintf(stderr, "tembra-tool: the account's server did not answer in full within %lld seconds\n",
                   static_cast<long long>(kXtreamDeadline.count()));
    else
      std::fprintf(stderr, "tembra-tool: %s\n", result.problem.c_str());
    return 1;
  }
  return printPlaylist(result.playlist);
}

}  // namespace

int runPlaylist(const std::vector<std::string>& args) {
  if (!args.empty() && args[0] == "--xtream") return runXtream(args);
  if (args.size() != 1 || args[0].empty()) {
    std::fputs("tembra-tool: usage: tembra-tool playlist FILE|URL | --xtream SERVER USER PASSWORD\n", stderr);
    return 2;
  }
  FetchRequest request;
  request.location = args[0];
  const PlaylistLoadResult result = PlaylistLoader::load(request);
  if (!result.ok()) {
    std::fprintf(stderr, "tembra-tool: %s\n", result.message.c_str());
    return result.status == PlaylistLoadResult::Status::NotAPlaylist ? 1 : 2;
  }
  return printPlaylist(result.playlist);
}

}  // namespace tembra::tools
