// tembra-tool catchup PLAYLIST INDEX START STOP [--now TIME]: the address
// that plays a past programme of one playlist channel.
#include <cstdio>
#include <ctime>
#include <optional>
#include <string>
#include <vector>

#include "playlist/CatchupAddress.h"
#include "playlist/PlaylistLoader.h"
#include "tools/Commands.h"
#include "tools/LocalTimeText.h"

namespace tembra::tools {

namespace {

constexpr const char* kCatchupUsage =
    "usage: tembra-tool catchup PLAYLIST INDEX START STOP [--now TIME]\n"
    "       (times as \"YYYY-MM-DD HH:MM:SS\" local time)\n";

std::optional<size_t> parseIndex(const std::string& text) {
  if (text.empty() || text.size() > 9) return std::nullopt;
  size_t index = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return std::nullopt;
    index = index * 10 + static_cast<size_t>(c - '0');
  }
  return index;
}

int usage(const char* problem) {
  if (problem != nullptr) std::fprintf(stderr, "tembra-tool: %s\n", problem);
  std::fputs(kCatchupUsage, stderr);
  return 2;
}

}  // namespace

int runCatchup(const std::vector<std::string>& args) {
  std::vector<std::string> positional;
  std::optional<std::string> nowText;
  for (size_t i = 0; i < args.size(); ++i) {
    if (args[i] == "--now") {
      if (i + 1 >= args.size() || nowText) return usage("--now wants one time");
      nowText = args[++i];
    } else {
      positional.push_back(args[i]);
    }
  }
  if (positional.size() != 4 || positional[0].empty()) return usage(nullptr);
  const std::optional<size_t> index = parseIndex(positional[1]);
  if (!index) return usage("INDEX is the channel's place in the playlist, from 0");
  CatchupAddress::Times times;
  const std::optional<int64_t> start = LocalTimeText::parse(positional[2]);
  const std::optional<int64_t> stop = LocalTimeText::parse(positional[3]);
  const std::optional<int64_t> now = nowText ? LocalTimeText::parse(*nowText) : std::optional<int64_t>(std::time(nullptr));
  if (!start || !stop || !now) return usage("times are written \"YYYY-MM-DD HH:MM:SS\" (local time)");
  if (*stop <= *start) return usage("STOP must come after START");
  times.start = *start;
  times.stop = *stop;
  times.now = *now;

  FetchRequest request;
  request.location = positional[0];
  const PlaylistLoadResult result = PlaylistLoader::load(request);
  if (!result.ok()) {
    std::fprintf(stderr, "tembra-tool: %s\n", result.message.c_str());
    return result.status == PlaylistLoadResult::Status::NotAPlaylist ? 1 : 2;
  }
  const std::vector<PlaylistChannel>& channels = result.playlist.channels;
  if (*index >= channels.size()) {
    std::fprintf(stderr, "tembra-tool: the playlist has %zu channels; there is no channel %zu\n", channels.size(),
                 *index);
    return 2;
  }
  const PlaylistChannel& channel = channels[*index];
  const std::optional<std::string> address = CatchupAddress::build(channel, times);
  if (!address) {
    std::fprintf(stderr, "tembra-tool: channel %zu (%s) has no catch-up%s\n", *index, channel.name.c_str(),
                 CatchupAddress::offered(channel) ? ": its address does not fit its catch-up mode" : "");
    return 1;
  }
  std::printf("%s\n", address->c_str());
  return std::fflush(stdout) == 0 ? 0 : 2;
}

}  // namespace tembra::tools
