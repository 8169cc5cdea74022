// Memory and speed of loading the guide of a large service: three days of
// 20,000 channels (about 70 MB of reply each, as the demo service writes
// them), loaded the way the program loads them.
//
// Memory is the peak resident set above the empty process, measured in a
// child process of its own for each way of reading (the peak is reset when
// the child starts), against the size of the three replies. The old way of
// reading (each reply loaded whole into a document, the channels copied
// into strings) is measured the same way for comparison. Speed is the
// thread processor time of reading one day's reply, the streaming read
// against that whole-document read of the same file, best of several runs
// after warm-up.
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "guide/GuideDayList.h"
#include "guide/GuideReplyParser.h"
#include "guide/ProgrammeGuide.h"
#include "xml/XmlDocument.h"

using namespace tembra;

namespace {

constexpr int kChannels = 20000;
constexpr int kProgrammes = 24;
constexpr int kSpeedRuns = 3;

const char* const kFirst[] = {"Lost", "Harbour", "Wild", "Market", "The Last", "The Brave", "Golden", "Silent",
                              "Northern", "Morning", "Evening", "Hidden", "Open", "Little", "Great", "Blue"};
const char* const kSecond[] = {"Kitchen", "Stories", "Market", "Report", "Monsoon", "Garden", "Road", "Island",
                               "Journal", "Valley", "Workshop", "Files", "Voyage", "Hour", "Club", "Quiz"};

std::string two(int v) {
  char b[8];
  std::snprintf(b, sizeof b, "%02d", v);
  return b;
}

// One day's reply, written piece by piece so that the parent process stays
// small. A quarter of the titles are unique to their channel, as the titles
// of a real line-up often are; the rest repeat.
uint64_t writeReply(const std::string& path, int day) {
  std::mt19937 random(static_cast<unsigned>(day + 1));
  const std::string date = "2024-05-" + two(7 + day);
  std::ofstream out(path, std::ios::binary);
  std::string s = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<tvlist>\n";
  for (int c = 0; c < kChannels; ++c) {
    s += "<tv id=\"" + std::to_string(10001 + c) + "\"><tvname>" + kFirst[random() % 16] + " " +
         kSecond[random() % 16] + " " + std::to_string(c) + "</tvname>\n";
    int minute = 0;
    for (int p = 0; p < kProgrammes; ++p) {
      std::string title = std::string(kFirst[random() % 16]) + " " + kSecond[random() % 16];
      if (random() % 4 == 0) title += ", Episode " + std::to_string(random() % 100000);
      else if (random() % 3 == 0) title += ", Part " + std::to_string(1 + random() % 5);
      s += "<tvitem><title>" + title + "</title><startdate>" + date + "</startdate><enddate>" + date +
           "</enddate><starttime>" + two(minute / 60) + ":" + two(minute % 60) + ":00</starttime></tvitem>\n";
      minute = std::min(23 * 60 + 55, minute + 30 + static_cast<int>(random() % 6) * 5);
    }
    s += "</tv>\n";
    if (s.size() > (1 << 20)) {
      out << s;
      s.clear();
    }
  }
  out << s << "</tvlist>\n";
  out.close();
  return std::filesystem::file_size(path);
}

long statusKb(const char* field) {
  std::ifstream status("/proc/self/status");
  std::string line;
  const size_t n = std::strlen(field);
  while (std::getline(status, line))
    if (line.compare(0, n, field) == 0) return std::stol(line.substr(n + 1));
  return -1;
}

// The peak resident set that fn adds to the process, in bytes, measured in
// a child process; -1 when it could not be measured.
long long peakAbove(const std::function<bool()>& fn) {
  int pipeFds[2];
  if (::pipe(pipeFds) != 0) return -1;
  const pid_t child = ::fork();
  if (child == 0) {
    ::close(pipeFds[0]);
    // Resets the peak to what the child holds now.
    std::ofstream("/proc/self/clear_refs") << "5";
    const long before = statusKb("VmRSS:");
    long long added = -1;
    if (fn()) added = (statusKb("VmHWM:") - before) * 1024LL;
    if (::write(pipeFds[1], &added, sizeof added) != sizeof added) _exit(1);
    _exit(0);
  }
  ::close(pipeFds[1]);
  long long added = -1;
  if (::read(pipeFds[0], &added, sizeof added) != sizeof added) added = -1;
  ::close(pipeFds[0]);
  int status = 0;
  ::waitpid(child, &status, 0);
  return added;
}

double threadCpuMs() {
  timespec ts{};
  ::clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
  return ts.tv_sec * 1e3 + ts.tv_nsec / 1e6;
}

// The whole-document read the program used before: the reply as one
// UTF-16 document, its channels as strings.
std::vector<GuideChannelDay> readWhole(const std::string& path, const std::u16string& key) {
  XmlDocument doc;
  doc.LoadFile(path);
  return GuideReplyParser::Read(doc, key);
}

}  // namespace

int main() {
  char pattern[] = "/tmp/guide-memory-bench-XXXXXX";
  if (!::mkdtemp(pattern)) return 1;
  const std::string folder = pattern;
  std::string paths[3];
  uint64_t replyBytes = 0;
  for (int d = 0; d < 3; ++d) {
    paths[d] = folder + "/day" + std::to_string(d) + ".xml";
    replyBytes += writeReply(paths[d], d);
  }

  // The program's way: the guide loads each day as a stream.
  size_t programmes = 0;
  const long long streamed = peakAbove([&] {
    FixedClock clock(LocalTime{2024, 5, 2, 7, 12, 0, 0, 0});
    ProgrammeGuide::Options options;
    options.clock = &clock;
    options.folder = folder;
    options.creationDownloads = false;
    ProgrammeGuide guide(u"http://127.0.0.1:1", u"", u"1", options);
    size_t count = 0;
    for (int d = 0; d < 3; ++d) {
      if (!guide.LoadDay(d, paths[d])) return false;
      count += guide.dayList(d)->programmeCount();
    }
    std::vector<GuideRow> rows;
    return count == static_cast<size_t>(3) * kChannels * kProgrammes &&
           guide.GetUpcoming(rows, true) == ProgrammeGuide::kRows && rows.size() == kChannels;
  });
  const long long whole = peakAbove([&] {
    std::vector<GuideChannelDay> days[3];
    for (int d = 0; d < 3; ++d) days[d] = readWhole(paths[d], u"07");
    return days[2].size() == kChannels;
  });
  if (streamed < 0 || whole < 0) {
    std::fprintf(stderr, "guide_memory_bench: a day did not load as written\n");
    return 1;
  }

  // Speed: one day, both ways, alternately; warmed up first.
  double bestStream = 1e300, bestWhole = 1e300;
  for (int i = 0; i < kSpeedRuns + 1; ++i) {
    double start = threadCpuMs();
    auto read = GuideReplyParser::LoadFile(paths[0], u"07", GuideLimits::kMaxReplyBytes);
    const double streamMs = threadCpuMs() - start;
    programmes = read->list->programmeCount();
    read.reset();
    start = threadCpuMs();
    const size_t channels = readWhole(paths[0], u"07").size();
    const double wholeMs = threadCpuMs() - start;
    if (channels != kChannels || programmes != static_cast<size_t>(kChannels) * kProgrammes) {
      std::fprintf(stderr, "guide_memory_bench: the two reads disagree\n");
      return 1;
    }
    if (i == 0) continue;
    bestStream = std::min(bestStream, streamMs);
    bestWhole = std::min(bestWhole, wholeMs);
  }

  std::printf("line-up: %d channels x 3 days x %d programmes; replies %.1f MB in all\n", kChannels, kProgrammes,
              replyBytes / 1e6);
  std::printf("peak above the empty process, streamed, packed  %8.1f MB\n", streamed / 1e6);
  std::printf("peak above the empty process, whole documents   %8.1f MB\n", whole / 1e6);
  std::printf("read one day, streamed                          %8.1f ms\n", bestStream);
  std::printf("read one day, whole document                    %8.1f ms\n", bestWhole);
  std::printf("ratio guide_memory_vs_reply %.3f goal 1.5\n", static_cast<double>(streamed) / replyBytes);
  std::printf("ratio guide_stream_parse_vs_whole_document %.3f goal 1.0\n", bestStream / bestWhole);
  std::filesystem::remove_all(folder);
  return 0;
}
