// tembra-tool guide rows|fetch: the guide's queries over stored reply
// bodies, and one download exactly as the client makes it.
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

#include "guide/ProgrammeGuide.h"
#include "platform/Utf.h"
#include "tools/Commands.h"

namespace tembra::tools {

namespace {

constexpr const char* kRowsUsage =
    "tembra-tool: usage: tembra-tool guide rows [--created DD] [--at \"DD HH:MM:SS\"] [--channel ID] "
    "DAY0 [DAY1 [DAY2]]\n";
constexpr const char* kFetchUsage = "tembra-tool: usage: tembra-tool guide fetch BASEURL UUID [DAY]\n";

// A whole decimal number within [low, high], nothing else.
std::optional<int> number(const std::string& text, int low, int high) {
  if (text.empty() || text.size() > 4) return std::nullopt;
  int value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return std::nullopt;
    value = value * 10 + (c - '0');
  }
  if (value < low || value > high) return std::nullopt;
  return value;
}

// "DD HH:MM:SS" over a base time whose date fields it leaves alone.
std::optional<LocalTime> parseAt(const std::string& text, LocalTime base) {
  if (text.size() != 11 || text[2] != ' ' || text[5] != ':' || text[8] != ':') return std::nullopt;
  auto day = number(text.substr(0, 2), 1, 31);
  auto hour = number(text.substr(3, 2), 0, 23);
  auto minute = number(text.substr(6, 2), 0, 59);
  auto second = number(text.substr(9, 2), 0, 59);
  if (!day || !hour || !minute || !second) return std::nullopt;
  base.day = static_cast<uint16_t>(*day);
  base.hour = static_cast<uint16_t>(*hour);
  base.minute = static_cast<uint16_t>(*minute);
  base.second = static_cast<uint16_t>(*second);
  base.millisecond = 0;
  return base;
}

// A field of a tab-separated line: tabs and line breaks in a name or title
// would shift the columns, so they print as spaces.
std::string field(const std::u16string& text) {
  std::string out = toUtf8(text);
  for (char& c : out)
    if (c == '\t' || c == '\n' || c == '\r') c = ' ';
  return out;
}

void printRows(const char* tag, const std::vector<GuideRow>& rows, int32_t result) {
  for (const GuideRow& row : rows) {
    std::printf("%s\t%s\t%s\t%s\t%s\n", tag, field(row.id).c_str(), field(row.name).c_str(),
                field(row.entry.starttime).c_str(), field(row.entry.title).c_str());
  }
  std::printf("result %s %d\n", tag, result);
}

bool readable(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return static_cast<bool>(in);
}

int runRows(const std::vector<std::string>& args) {
  std::optional<int> created;
  std::optional<std::string> at;
  std::optional<std::string> channel;
  std::vector<std::string> files;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    const bool hasValue = i + 1 < args.size();
    if (a == "--created" && hasValue) {
      created = number(args[++i], 1, 31);
      if (!created) {
        std::fprintf(stderr, "tembra-tool: --created wants a day of month 1-31, not '%s'\n", args[i].c_str());
        return 2;
      }
    } else if (a == "--at" && hasValue) {
      at = args[++i];
    } else if (a == "--channel" && hasValue) {
      channel = args[++i];
    } else if (a.rfind("--", 0) == 0) {
      std::fputs(kRowsUsage, stderr);
      return 2;
    } else {
      files.push_back(a);
    }
  }
  if (files.empty() || files.size() > 3) {
    std::fputs(kRowsUsage, stderr);
    return 2;
  }
  LocalTime now = SystemClock::Instance().Now();
  if (at) {
    auto parsed = parseAt(*at, now);
    if (!parsed) {
      std::fprintf(stderr, "tembra-tool: --at wants \"DD HH:MM:SS\", not '%s'\n", at->c_str());
      return 2;
    }
    now = *parsed;
  }
  for (const std::string& file : files) {
    if (!readable(file)) {
      std::fprintf(stderr, "tembra-tool: cannot read '%s'\n", file.c_str());
      return 2;
    }
  }

  // The guide's day keys come from the clock at its creation; the queries
  // then run at the --at time. No session id: it never downloads.
  LocalTime creation = now;
  if (created) creation.day = static_cast<uint16_t>(*created);
  FixedClock clock(creation);
  ProgrammeGuide::Options options;
  options.clock = &clock;
  options.creationDownloads = false;
  ProgrammeGuide guide(u"", u"", u"1", options);
  for (size_t d = 0; d < files.size(); ++d) {
    if (!guide.LoadDay(static_cast<int>(d), files[d])) {
      std::fprintf(stderr, "tembra-tool: '%s' is larger than a guide reply may be (%llu MB)\n", files[d].c_str(),
                   static_cast<unsigned long long>(GuideLimits::kMaxReplyBytes >> 20));
      return 2;
    }
  }
  clock.Set(now);

  std::vector<GuideRow> rows;
  int32_t result = guide.GetNowPlaying(rows, true);
  printRows("now", rows, result);
  rows.clear();
  result = guide.GetUpcoming(rows, true);
  printRows("next", rows, result);
  if (channel) {
    const std::u16string id = fromUtf8(*channel);
    const char* tags[] = {"day0", "day1", "day2"};
    for (int d = 0; d < 3; ++d) {
      rows.clear();
      result = guide.GetDayList(d, id, rows, true);
      printRows(tags[d], rows, result);
    }
  }
  return 0;
}

int runFetch(const std::vector<std::string>& args) {
  if (args.size() < 2 || args.size() > 3) {
    std::fputs(kFetchUsage, stderr);
    return 2;
  }
  int day = 0;
  if (args.size() == 3) {
    auto parsed = number(args[2], 0, 2);
    if (!parsed) {
      std::fprintf(stderr, "tembra-tool: DAY must be 0, 1 or 2, not '%s'\n", args[2].c_str());
      return 2;
    }
    day = *parsed;
  }
  ProgrammeGuide::Options options;
  options.creationDownloads = false;
  ProgrammeGuide guide(fromUtf8(args[0]), fromUtf8(args[1]), u"1", options);
  const GuideDownloadStatus status = guide.DownloadWithStatus(day);
  if (status != GuideDownloadStatus::Stored) {
    std::printf("download failed: %s\n", DescribeGuideDownloadStatus(status));
    return 1;
  }
  const GuideDayListPtr list = guide.dayList(day);
  std::printf("download ok: day %d, key %s\n", day, toUtf8(guide.dayKey(day)).c_str());
  for (size_t c = 0; c < list->size(); ++c)
    std::printf("channel\t%s\t%s\t%zu\n", field(std::u16string(list->id(c))).c_str(),
                field(std::u16string(list->name(c))).c_str(), list->entryCount(c));
  std::printf("channels %zu programmes %zu%s\n", list->size(), list->programmeCount(),
              guide.dayEmpty(day) ? " (day marked empty)" : "");
  return 0;
}

}  // namespace

int runGuide(const std::vector<std::string>& args) {
  if (args.empty()) {
    std::fputs(kRowsUsage, stderr);
    std::fputs(kFetchUsage, stderr);
    return 2;
  }
  const std::vector<std::string> rest(args.begin() + 1, args.end());
  if (args[0] == "rows") return runRows(rest);
  if (args[0] == "fetch") return runFetch(rest);
  std::fprintf(stderr, "tembra-tool: unknown guide command '%s'\n", args[0].c_str());
  return 2;
}

}  // namespace tembra::tools
