// XmlDocument against pugixml on the two big replies the program reads: a
// guide reply of about 20 MB and a catalogue of 20,000 channels.
//
// Parse: our Parse of the UTF-16 text against pugixml's load_buffer of the
// UTF-8 bytes. LoadFile: our LoadFile of the UTF-8 file against pugixml's
// load_file of the same file. Each side gets a fresh document per run and
// a few warm-up runs first (fresh memory is slow to touch on these
// machines); the figure is the fastest run in processor time.
#include <malloc.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <pugixml.hpp>
#include <string>
#include <vector>

#include "platform/Utf.h"
#include "xml/XmlDocument.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kWarmUp = 3;
constexpr int kRuns = 15;

const char* const kTitles[] = {
    "Morning news &amp; weather", "\xD0\x92\xD0\xB5\xD1\x87\xD0\xB5\xD1\x80\xD0\xBD\xD0\xB8\xD0\xB5 "
    "\xD0\xBD\xD0\xBE\xD0\xB2\xD0\xBE\xD1\x81\xD1\x82\xD0\xB8",
    "Documentary: the deep sea", "\xE6\x96\xB0\xE9\x97\xBB\xE8\x81\x94\xE6\x92\xAD", "Late film",
    "Football &lt;live&gt;", "Cartoons for children", "Concert from the old hall",
};

std::string Two(int v) {
  char b[8];
  std::snprintf(b, sizeof b, "%02d", v);
  return b;
}

std::string GuideReply(size_t targetBytes) {
  std::string s = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<root>\n";
  s.reserve(targetBytes + 4096);
  for (int tv = 1; s.size() < targetBytes; ++tv) {
    s += "<tv id=\"" + std::to_string(tv) + "\">\n <tvname>Channel " + std::to_string(tv) + "</tvname>\n";
    for (int item = 0; item < 60; ++item) {
      const std::string time = Two(item * 23 / 60) + ":" + Two(item * 23 % 60);
      s += " <tvitem>\n  <title>";
      s += kTitles[(tv + item) % std::size(kTitles)];
      s += "</title>\n  <startdate>2024-05-01 " + time + ":00</startdate>\n  <enddate>2024-05-01 " + time +
           ":59</enddate>\n  <starttime>" + time + "</starttime>\n </tvitem>\n";
    }
    s += "</tv>\n";
  }
  s += "</root>\n";
  return s;
}

std::string Catalogue(int channels) {
  std::string s = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<channels>\n";
  const int perGroup = 250;
  for (int c = 0; c < channels; ++c) {
    if (c % perGroup == 0) {
      if (c != 0) s += "</group>\n";
      const int g = c / perGroup + 1;
      s += "<group name=\"Group " + std::to_string(g) + "\" id=\"" + std::to_string(g) + "\" type=\"" +
           std::to_string(g % 3) + "\" deploy=\"1\">\n";
    }
    s += " <channel language=\"" + std::string(c % 2 ? "ru" : "en") + "\">\n  <name>";
    s += kTitles[c % std::size(kTitles)];
    s += " " + std::to_string(c) + "</name>\n  <id>" + std::to_string(100000 + c) +
         "</id>\n  <status>1</status>\n  <vip>" + std::to_string(c % 5 == 0) + "</vip>\n  <lmk_address>";
    for (int k = 0; k < 24; ++k) s += "0123456789ABCDEF"[(c * 7 + k * 13) % 16];
    s += "</lmk_address>\n  <item>" + std::to_string(c % 17) + "</item>\n </channel>\n";
  }
  s += "</group>\n</channels>\n";
  return s;
}

struct Pair {
  double ours;      // processor time, ms
  double pugi;
  double oursWall;  // elapsed time, ms
  double pugiWall;
};

double ThreadCpuMs() {
  timespec ts{};
  ::clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
  return ts.tv_sec * 1e3 + ts.tv_nsec / 1e6;
}

// Runs ours and pugixml's alternately, kWarmUp times each unmeasured and
// then kRuns times each, and keeps the fastest run of each. The machine is
// shared with builds and test runs, so elapsed time mostly measures how
// long the thread waited for a core; the figure compared is the thread's
// processor time (page faults included), with elapsed time shown beside it.
//
// With trimmed, the heap's free memory goes back to the system before each
// measured run, so that nothing is served from pages an earlier run left
// behind.
Pair MeasurePair(const std::function<void()>& ours, const std::function<void()>& pugi, bool trimmed = false) {
  for (int i = 0; i < kWarmUp; ++i) {
    ours();
    pugi();
  }
  Pair best{1e300, 1e300, 1e300, 1e300};
  auto time = [trimmed](const std::function<void()>& fn, double& cpu, double& wall) {
    if (trimmed) ::malloc_trim(0);
    const auto t0 = Clock::now();
    const double c0 = ThreadCpuMs();
    fn();
    cpu = std::min(cpu, ThreadCpuMs() - c0);
    wall = std::min(wall, std::chrono::duration<double, std::milli>(Clock::now() - t0).count());
  };
  for (int i = 0; i < kRuns; ++i) {
    time(ours, best.ours, best.oursWall);
    time(pugi, best.pugi, best.pugiWall);
  }
  return best;
}

size_t PugiElements(const pugi::xml_node& root) {
  struct Counter : pugi::xml_tree_walker {
    size_t n = 0;
    bool for_each(pugi::xml_node& node) override {
      n += node.type() == pugi::node_element;
      return true;
    }
  } counter;
  const_cast<pugi::xml_node&>(root).traverse(counter);
  return counter.n;
}

struct Figures {
  double parseRatio;
  double freshRatio;
  double loadRatio;
};

Figures Compare(const char* name, const std::string& utf8) {
  const std::u16string utf16 = tembra::fromUtf8(utf8);

  // Both sides must have read the same document.
  tembra::XmlDocument check;
  const bool ourOk = check.Parse(utf16);
  pugi::xml_document pugiCheck;
  const bool pugiOk = static_cast<bool>(
      pugiCheck.load_buffer(utf8.data(), utf8.size(), pugi::parse_default, pugi::encoding_utf8));

  // A document parsed again: both sides reuse their document object, so
  // both write to memory they have touched before.
  tembra::XmlDocument ourDoc;
  pugi::xml_document pugiDoc;
  const Pair parse = MeasurePair([&] { ourDoc.Parse(utf16); },
                                 [&] {
                                   pugiDoc.load_buffer(utf8.data(), utf8.size(), pugi::parse_default,
                                                       pugi::encoding_utf8);
                                 });
  ourDoc.Parse(u"");
  pugiDoc.reset();
  // A new document on memory handed back to the system, as the program
  // parses a reply once: both sides fault in fresh pages.
  const Pair fresh = MeasurePair(
      [&] {
        tembra::XmlDocument doc;
        doc.Parse(utf16);
      },
      [&] {
        pugi::xml_document doc;
        doc.load_buffer(utf8.data(), utf8.size(), pugi::parse_default, pugi::encoding_utf8);
      },
      true);

  const std::string path = (std::filesystem::temp_directory_path() /
                            ("xml_bench_" + std::to_string(::getpid()) + "_" + name + ".xml"))
                               .string();
  std::ofstream(path, std::ios::binary) << utf8;
  bool ourLoadOk = false;
  bool pugiLoadOk = false;
  const Pair load = MeasurePair(
      [&] {
        tembra::XmlDocument doc;
        ourLoadOk = doc.LoadFile(path);
      },
      [&] {
        pugi::xml_document doc;
        pugiLoadOk = static_cast<bool>(doc.load_file(path.c_str(), pugi::parse_default, pugi::encoding_utf8));
      },
      true);
  std::filesystem::remove(path);

  std::printf("%s: %zu bytes UTF-8, %zu characters; elements ours %zu (%s), pugixml %zu (%s)\n", name,
              utf8.size(), utf16.size(), check.ElementCount(), ourOk ? "well-formed" : "ILL-FORMED",
              PugiElements(pugiCheck), pugiOk ? "ok" : "FAILED");
  std::printf("%s parse again: ours %.2f ms (elapsed %.2f), pugixml %.2f ms (elapsed %.2f)\n", name,
              parse.ours, parse.oursWall, parse.pugi, parse.pugiWall);
  std::printf("%s parse fresh: ours %.2f ms (elapsed %.2f), pugixml %.2f ms (elapsed %.2f)\n", name,
              fresh.ours, fresh.oursWall, fresh.pugi, fresh.pugiWall);
  std::printf("%s loadfile: ours %.2f ms (elapsed %.2f, %s), pugixml %.2f ms (elapsed %.2f, %s)\n", name,
              load.ours, load.oursWall, ourLoadOk ? "ok" : "FAILED", load.pugi, load.pugiWall,
              pugiLoadOk ? "ok" : "FAILED");
  return {parse.ours / parse.pugi, fresh.ours / fresh.pugi, load.ours / load.pugi};
}

}  // namespace

int main() {
  const Figures guide = Compare("guide", GuideReply(20u << 20));
  const Figures catalogue = Compare("catalogue", Catalogue(20000));
  std::printf("ratio xml_parse_guide %.3f goal 1.0\n", guide.parseRatio);
  std::printf("ratio xml_parse_catalogue %.3f goal 1.0\n", catalogue.parseRatio);
  std::printf("ratio xml_parse_fresh_guide %.3f goal 1.0\n", guide.freshRatio);
  std::printf("ratio xml_parse_fresh_catalogue %.3f goal 1.0\n", catalogue.freshRatio);
  std::printf("ratio xml_loadfile_guide %.3f goal 1.5\n", guide.loadRatio);
  std::printf("ratio xml_loadfile_catalogue %.3f goal 1.5\n", catalogue.loadRatio);
  return 0;
}
