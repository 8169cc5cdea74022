// Playlist parsing: PlaylistParser::parse of a 100,000-channel playlist held
// in memory, against a straightforward Python 3 parser (one pass over the
// lines, a regular expression per #EXTINF) run on the same file by
// /usr/bin/python3, which times only its own parse loop. Both sides warm up
// first; each figure is the median of several runs.
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "playlist/PlaylistParser.h"

using namespace tembra;

namespace {

constexpr int kChannels = 100000;
constexpr int kRuns = 7;

const char* const kGroupNames[] = {
    "News", "Sport", "Films", "Kids", "Music", "\xD0\x9D\xD0\xBE\xD0\xB2\xD0\xBE\xD1\x81\xD1\x82\xD0\xB8",
    "Documentary", "Entertainment"};

std::string makePlaylist() {
  std::string m3u =
      "#EXTM3U url-tvg=\"https://epg.example.com/guide.xml.gz\" x-tvg-url=\"https://epg2.example.com/all.xml\" "
      "tvg-shift=\"0\"\n";
  for (int i = 0; i < kChannels; ++i) {
    const std::string n = std::to_string(i);
    const char* group = kGroupNames[i % std::size(kGroupNames)];
    m3u += "#EXTINF:-1 tvg-id=\"channel" + n + ".example\" tvg-name=\"Channel " + n +
           ", HD\" tvg-logo=\"https://logos.example.com/" + n + ".png\" group-title=\"" + group + ";Country " +
           std::to_string(i % 40) + "\" tvg-chno=\"" + std::to_string(i + 1) + "\"";
    if (i % 4 == 0) m3u += " catchup=\"default\" catchup-days=\"7\" catchup-source=\"?utc={utc}&lutc={lutc}\"";
    m3u += ",Channel " + n + (i % 3 == 0 ? " (Backup, 720p)" : " HD") + "\n";
    if (i % 10 == 0) m3u += "#EXTVLCOPT:http-user-agent=Mozilla/5.0 (X11; Linux x86_64)\n";
    m3u += "http://stream.example.com:8080/live/user/pass/" + n + ".ts\n";
  }
  return m3u;
}

const char* const kPythonParser = R"PY(
import re, sys, time

ATTR = re.compile(r'([A-Za-z0-9_-]+)=(?:"([^"]*)"|([^\s,"]*))')
EXTINF = re.compile(r'^#EXTINF:\s*(-?[0-9.]+)?((?:\s*[A-Za-z0-9_-]+=(?:"[^"]*"|[^\s,"]*))*)\s*,(.*)$')

def attributes(text):
    return {m.group(1).lower(): m.group(2) if m.group(2) is not None else m.group(3)
            for m in ATTR.finditer(text)}

def parse(text):
    guides, channels, entry = [], [], None
    for line in text.split('\n'):
        line = line.strip()
        if not line:
            continue
        if line.startswith('#EXTM3U'):
            a = attributes(line)
            for key in ('url-tvg', 'x-tvg-url'):
                for g in a.get(key, '').split(','):
                    g = g.strip()
                    if g and g not in guides:
                        guides.append(g)
        elif line.startswith('#EXTINF:'):
            m = EXTINF.match(line)
            a = attributes(m.group(2)) if m else {}
            title = m.group(3).strip() if m else ''
            entry = {'name': title or a.get('tvg-name', ''), 'tvgId': a.get('tvg-id', ''),
                     'tvgName': a.get('tvg-name', ''), 'logo': a.get('tvg-logo', ''),
                     'groups': [g.strip() for g in a.get('group-title', '').split(';') if g.strip()],
                     'number': int(a['tvg-chno']) if a.get('tvg-chno', '').isdigit() else None,
                     'catchup': a.get('catchup', ''), 'catchupSource': a.get('catchup-source', ''),
                     'catchupDays': a.get('catchup-days'), 'userAgent': a.get('http-user-agent', '')}
        elif line.startswith('#EXTVLCOPT:http-user-agent='):
            if entry is not None:
                entry['userAgent'] = line[len('#EXTVLCOPT:http-user-agent='):]
        elif line.startswith('#'):
            continue
        elif entry is not None:
            entry['url'] = line.split('|', 1)[0]
            channels.append(entry)
            entry = None
        elif '://' in line:
            channels.append({'name': line, 'url': line.split('|', 1)[0]})
    return guides, channels

with open(sys.argv[1], encoding='utf-8') as f:
    text = f.read()
runs = int(sys.argv[2])
parse(text)
times = []
for _ in range(runs):
    start = time.perf_counter()
    guides, channels = parse(text)
    times.append(time.perf_counter() - start)
times.sort()
print(len(channels), times[len(times) // 2])
)PY";

std::string tempPath(const char* pattern) {
  std::string name = std::string("/tmp/") + pattern;
  const int fd = ::mkstemps(name.data(), static_cast<int>(name.size() - name.find('.')));
  if (fd < 0) return {};
  ::close(fd);
  return name;
}

double medianOf(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

}  // namespace

int main() {
  const std::string text = makePlaylist();
  const std::string playlistPath = tempPath("playlist-bench-XXXXXX.m3u");
  const std::string scriptPath = tempPath("playlist-bench-XXXXXX.py");
  if (playlistPath.empty() || scriptPath.empty()) {
    std::fputs("playlist_bench: cannot make temporary files\n", stderr);
    return 1;
  }
  std::ofstream(playlistPath, std::ios::binary) << text;
  std::ofstream(scriptPath, std::ios::binary) << kPythonParser;

  // The parse reads the text as the loader hands it over: the file's bytes.
  std::ostringstream read;
  read << std::ifstream(playlistPath, std::ios::binary).rdbuf();
  const std::string content = read.str();

  size_t sink = PlaylistParser::parse(content, "/tmp").channels.size();  // warm-up
  std::vector<double> oursMs;
  for (int run = 0; run < kRuns; ++run) {
    const auto start = std::chrono::steady_clock::now();
    const Playlist playlist = PlaylistParser::parse(content, "/tmp");
    oursMs.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
    sink += playlist.channels.size();
  }
  const Playlist check = PlaylistParser::parse(content, "/tmp");

  const std::string command = "/usr/bin/python3 " + scriptPath + " " + playlistPath + " " + std::to_string(kRuns);
  FILE* python = ::popen(command.c_str(), "r");
  size_t pythonChannels = 0;
  double pythonSeconds = 0;
  const int fields = python ? std::fscanf(python, "%zu %lf", &pythonChannels, &pythonSeconds) : 0;
  const int status = python ? ::pclose(python) : -1;
  std::remove(playlistPath.c_str());
  std::remove(scriptPath.c_str());
  if (fields != 2 || status != 0 || pythonSeconds <= 0) {
    std::fputs("playlist_bench: the Python parser did not run\n", stderr);
    return 1;
  }
  if (check.channels.size() != kChannels || pythonChannels != kChannels ||
      check.channels[7].name != "Channel 7 HD" || check.channels[6].groups.size() != 2 ||
      check.channels[10].userAgent != "Mozilla/5.0 (X11; Linux x86_64)") {
    std::fprintf(stderr, "playlist_bench: the parsers disagree (%zu vs %zu channels)\n", check.channels.size(),
                 pythonChannels);
    return 1;
  }

  const double ours = medianOf(oursMs);
  const double theirs = pythonSeconds * 1000;
  std::printf("playlist: %d channels, %zu bytes\n", kChannels, content.size());
  std::printf("PlaylistParser::parse        median of %d: %.2f ms\n", kRuns, ours);
  std::printf("python3 lines + regex        median of %d: %.2f ms\n", kRuns, theirs);
  std::printf("(checksum %zu)\n", sink);
  std::printf("ratio playlist_parse_vs_python_regex %.3f goal 0.1\n", ours / theirs);
  return 0;
}
