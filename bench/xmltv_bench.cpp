// Loading a big XMLTV guide: 8,000 channels over 7 days (about 400 MB of
// XML, gzip-compressed on disk) for a playlist of the same 8,000 channels,
// keeping the three days of the window. The baseline is the decompression
// floor: `gzip -dc FILE > /dev/null` on the same file.
//
// Both sides run as child processes, taking turns after a warm-up round;
// the figure of each is its fastest run in processor time (user + system,
// from wait4), wall times are detail lines. The loading child does nothing
// but load, so its peak resident size (ru_maxrss) is what a load costs;
// it is held against 400 MB, the size of the unpacked guide.
#include <fcntl.h>
#include <stdlib.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>
#include <zlib.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "xmltv/XmltvFetch.h"
#include "xmltv/XmltvLoader.h"
#include "xmltv/XmltvWindow.h"

namespace {

using Clock = std::chrono::steady_clock;
namespace fs = std::filesystem;

constexpr int kChannels = 8000;
constexpr int kDays = 7;
constexpr int kRuns = 3;

const char* const kWords[] = {
    "the",     "evening", "news",    "weather", "report",  "from",    "around",  "world",   "with",    "latest",
    "stories", "film",    "drama",   "series",  "season",  "finale",  "live",    "match",   "league",  "cup",
    "final",   "music",   "concert", "hall",    "orchestra", "plays", "classic", "works",   "history", "of",
    "ancient", "cities",  "nature",  "wild",    "animals", "ocean",   "deep",    "journey", "across",  "mountains",
    "cooking", "kitchen", "chef",    "recipes", "family",  "comedy",  "show",    "guests",  "talk",    "late",
    "night",   "morning", "magazine", "children", "cartoon", "adventure", "mystery", "detective", "case", "solved",
    "\xC3\xA9t\xC3\xA9", "M\xC3\xBCnchen", "\xD0\xBD\xD0\xBE\xD0\xB2\xD0\xBE\xD1\x81\xD1\x82\xD0\xB8", "caf\xC3\xA9",
    "&amp;",   "science", "space",   "planet",  "documentary", "travel", "market", "economy", "politics", "debate",
};
const char* const kCategories[] = {"News", "Movie", "Series", "Sports", "Music", "Documentary", "Kids", "Comedy",
                                   "Magazine", "Talk", "Nature", "Cooking", "Travel", "Science", "Drama"};
const char* const kTitles[] = {"World News", "Evening Report", "The Film", "Live Football", "Morning Magazine",
                               "Concert Night", "Nature Watch", "Kitchen Stories", "Late Talk", "Cartoon Hour",
                               "Detective Cases", "Science Now", "Travel Diaries", "Comedy Club", "History Hour"};

struct Random {
  uint64_t s;
  uint32_t next() {
    s = s * 6364136223846793005ull + 1442695040888963407ull;
    return static_cast<uint32_t>(s >> 33);
  }
};

std::string channelId(int c) { return "ch" + std::to_string(c) + ".bench.example"; }
std::string channelName(int c) { return "Bench Channel " + std::to_string(c); }

// The playlist: most channels by their exact id, some by the id in other
// case, some by name only; all of them have a guide channel.
std::vector<tembra::XmltvPlaylistChannel> playlist() {
  std::vector<tembra::XmltvPlaylistChannel> out;
  out.reserve(kChannels);
  for (int c = 0; c < kChannels; ++c) {
    tembra::XmltvPlaylistChannel p;
    p.name = channelName(c);
    if (c % 8 == 6) {
      p.tvgId = "CH" + std::to_string(c) + ".BENCH.EXAMPLE";
    } else if (c % 8 != 7) {
      p.tvgId = channelId(c);
    }
    if (c % 16 == 0) p.shift = 1;
    out.push_back(std::move(p));
  }
  return out;
}

std::string xmltvTime(int64_t utc) {
  // The guide's clock is UTC+1.
  const time_t t = static_cast<time_t>(utc + 3600);
  struct tm u {};
  gmtime_r(&t, &u);
  char buf[32];
  std::strftime(buf, sizeof buf, "%Y%m%d%H%M%S +0100", &u);
  return buf;
}

// Streams the guide to a gzip file (level 1), never holding it whole.
// Returns the unpacked size.
uint64_t writeGuide(const std::string& path, int64_t firstDay) {
  gzFile out = gzopen(path.c_str(), "wb1");
  if (out == nullptr) return 0;
  gzbuffer(out, 1 << 20);
  uint64_t bytes = 0;
  std::string buf;
  buf.reserve(1 << 21);
  const auto flush = [&](bool force) {
    if (buf.size() < (1u << 20) && !force) return;
    gzwrite(out, buf.data(), static_cast<unsigned>(buf.size()));
    bytes += buf.size();
    buf.clear();
  };
  buf += "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<!DOCTYPE tv SYSTEM \"xmltv.dtd\">\n"
         "<tv source-info-name=\"bench\" generator-info-name=\"xmltv_bench\">\n";
  for (int c = 0; c < kChannels; ++c) {
    buf += "  <channel id=\"" + channelId(c) + "\">\n    <display-name lang=\"en\">" + channelName(c) +
           "</display-name>\n    <display-name lang=\"en\">" + std::to_string(100 + c) +
           "</display-name>\n    <icon src=\"http://logos.bench.example/" + std::to_string(c) + ".png\"/>\n  </channel>\n";
    flush(false);
  }
  Random random{12345};
  static constexpr int kLengths[] = {30, 60, 90, 120, 150};
  for (int c = 0; c < kChannels; ++c) {
    const std::string id = channelId(c);
    int64_t t = firstDay;
    const int64_t end = firstDay + int64_t{kDays} * 86400;
    int episode = static_cast<int>(random.next() % 40);
    while (t < end) {
      const int64_t stop = t + kLengths[random.next() % 5] * 60;
      const unsigned title = random.next() % std::size(kTitles);
      buf += "  <programme start=\"" + xmltvTime(t) + "\" stop=\"" + xmltvTime(stop) + "\" channel=\"" + id +
             "\">\n    <title lang=\"en\">";
      buf += kTitles[title];
      buf += "</title>\n    <desc lang=\"en\">";
      const int words = 12 + static_cast<int>(random.next() % 14);
      for (int w = 0; w < words; ++w) {
        if (w) buf += ' ';
        buf += kWords[random.next() % std::size(kWords)];
      }
      buf += ".</desc>\n    <category lang=\"en\">";
      buf += kCategories[(title + random.next() % 3) % std::size(kCategories)];
      ++episode;
      buf += "</category>\n    <episode-num system=\"xmltv_ns\">" + std::to_string(episode / 20) + "." +
             std::to_string(episode % 20) + ".</episode-num>\n    <episode-num system=\"onscreen\">S" +
             std::to_string(episode / 20 + 1) + "E" + std::to_string(episode % 20 + 1) + "</episode-num>\n";
      if (random.next() % 4 == 0)
        buf += "    <icon src=\"http://img.bench.example/p/" + std::to_string(random.next() % 100000) + ".jpg\"/>\n";
      buf += "  </programme>\n";
      flush(false);
      t = stop;
    }
  }
  buf += "</tv>\n";
  flush(true);
  return gzclose(out) == Z_OK ? bytes : 0;
}

// The day the guide starts: two days before today (local), as guides
// carry a little of the past.
int64_t guideStart(int64_t now) { return tembra::XmltvWindow::around(now).dayStart[0] - 2 * 86400; }

// The child's work: load the guide as a playlist source does (the content
// fetch inflating it, the loader reading it as it comes) and say what was
// kept.
int loadOnly(const char* path, int64_t now) {
  tembra::XmltvLoader loader(playlist(), tembra::XmltvWindow::around(now));
  const tembra::XmltvGuideReport report = tembra::XmltvFetch::loadGuide(loader, path, {});
  const tembra::XmltvStore store = loader.take();
  std::printf("ok=%d channels=%llu programmes=%llu kept=%llu matched=%llu store_mb=%.1f message=%s\n", report.ok ? 1 : 0,
              static_cast<unsigned long long>(report.channelElements),
              static_cast<unsigned long long>(report.programmeElements),
              static_cast<unsigned long long>(report.programmesKept),
              static_cast<unsigned long long>(report.channelsMatched), store.memoryBytes() / 1048576.0,
              report.message.c_str());
  return report.ok && !report.cutOff ? 0 : 1;
}

struct Run {
  bool ok = false;
  double cpuMs = 0;
  double wallMs = 0;
  long maxRssKb = 0;
};

Run runChild(const std::vector<std::string>& argv, const std::string& stdoutPath) {
  Run run;
  const auto start = Clock::now();
  const pid_t pid = ::fork();
  if (pid == 0) {
    const int out = ::open(stdoutPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    ::dup2(out, 1);
    std::vector<char*> args;
    for (const auto& a : argv) args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    ::execvp(args[0], args.data());
    ::_exit(127);
  }
  int status = 0;
  rusage usage{};
  if (pid < 0 || ::wait4(pid, &status, 0, &usage) != pid) return run;
  run.wallMs = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
  const auto ms = [](const timeval& tv) { return tv.tv_sec * 1e3 + tv.tv_usec / 1e3; };
  run.cpuMs = ms(usage.ru_utime) + ms(usage.ru_stime);
  run.maxRssKb = usage.ru_maxrss;
  run.ok = WIFEXITED(status) && WEXITSTATUS(status) == 0;
  return run;
}

std::string firstLine(const std::string& path) {
  std::string s;
  if (FILE* f = std::fopen(path.c_str(), "r")) {
    char buf[1024];
    if (std::fgets(buf, sizeof buf, f)) s = buf;
    std::fclose(f);
  }
  while (!s.empty() && s.back() == '\n') s.pop_back();
  return s;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 4 && std::strcmp(argv[1], "--load-only") == 0) return loadOnly(argv[2], std::atoll(argv[3]));

  char dirTemplate[] = "/tmp/tembra-xmltv-bench-XXXXXX";
  if (::mkdtemp(dirTemplate) == nullptr) {
    std::perror("mkdtemp");
    return 1;
  }
  const std::string dir = dirTemplate;
  const std::string guide = dir + "/guide.xml.gz";
  const std::string out = dir + "/out.txt";
  const int64_t now = static_cast<int64_t>(::time(nullptr));

  const auto genStart = Clock::now();
  const uint64_t unpacked = writeGuide(guide, guideStart(now));
  const double genS = std::chrono::duration<double>(Clock::now() - genStart).count();
  if (unpacked == 0) {
    std::fprintf(stderr, "xmltv_bench: cannot write %s\n", guide.c_str());
    fs::remove_all(dir);
    return 1;
  }
  std::printf("guide: %d channels, %d days, %.1f MB unpacked, %.1f MB gzip (level 1), written in %.1f s\n", kChannels,
              kDays, unpacked / 1e6, fs::file_size(guide) / 1e6, genS);

  const std::string self = fs::read_symlink("/proc/self/exe").string();
  const std::vector<std::string> ours = {self, "--load-only", guide, std::to_string(now)};
  const std::vector<std::string> floor = {"gzip", "-dc", guide};
  Run bestOurs{true, 1e300, 1e300, 0}, bestGzip{true, 1e300, 1e300, 0};
  std::string detail;
  for (int round = 0; round <= kRuns; ++round) {
    const Run g = runChild(floor, "/dev/null");
    const Run o = runChild(ours, out);
    if (!g.ok || !o.ok) {
      std::fprintf(stderr, "xmltv_bench: a run failed (gzip %d, load %d): %s\n", g.ok, o.ok, firstLine(out).c_str());
      fs::remove_all(dir);
      return 1;
    }
    detail = firstLine(out);
    if (round == 0) continue;  // warm-up: the file into the page cache, the code into memory
    bestGzip.cpuMs = std::min(bestGzip.cpuMs, g.cpuMs);
    bestGzip.wallMs = std::min(bestGzip.wallMs, g.wallMs);
    bestOurs.cpuMs = std::min(bestOurs.cpuMs, o.cpuMs);
    bestOurs.wallMs = std::min(bestOurs.wallMs, o.wallMs);
    bestOurs.maxRssKb = std::max(bestOurs.maxRssKb, o.maxRssKb);
  }
  std::printf("load: %s\n", detail.c_str());
  std::printf("gzip -dc: %.0f ms processor, %.0f ms wall (fastest of %d)\n", bestGzip.cpuMs, bestGzip.wallMs, kRuns);
  std::printf("xmltv load: %.0f ms processor, %.0f ms wall (fastest of %d), %.0f MB/s unpacked\n", bestOurs.cpuMs,
              bestOurs.wallMs, kRuns, unpacked / 1e3 / bestOurs.cpuMs);
  std::printf("xmltv load peak RSS: %.1f MB\n", bestOurs.maxRssKb / 1024.0);
  fs::remove_all(dir);
  std::printf("ratio xmltv_load_vs_gzip_dc %.3f goal 2.0\n", bestOurs.cpuMs / bestGzip.cpuMs);
  std::printf("ratio xmltv_peak_rss_vs_400mb %.3f goal 1.0\n", bestOurs.maxRssKb / 1024.0 / 400.0);
  return 0;
}
