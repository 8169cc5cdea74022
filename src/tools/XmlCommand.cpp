#include <cinttypes>
#include <cstdio>
#include <string>

#include "platform/Utf.h"
#include "tools/Commands.h"
#include "xml/XmlDocument.h"

namespace tembra::tools {

namespace {

// The report is one line however odd the names it quotes.
std::string oneLine(std::string text) {
  for (char& c : text) {
    if (c == '\n' || c == '\r') c = ' ';
  }
  return text;
}

}  // namespace

// Prints the result report, then one line per element in document order:
// level, name, start offset, length and flags (hex), separated by tabs.
int runXml(const std::vector<std::string>& args) {
  if (args.size() != 1 || args[0].empty()) {
    std::fputs("usage: tembra-tool xml FILE\n", stderr);
    return 2;
  }
  XmlDocument doc;
  const bool wellFormed = doc.LoadFile(args[0]);
  const std::u16string& report = doc.ResultReport();
  std::printf("%s\n", oneLine(toUtf8(report)).c_str());
  if (report.find(u"<file_error") != std::u16string::npos) {
    std::fprintf(stderr, "tembra-tool: cannot read %s\n", args[0].c_str());
    return 2;
  }
  for (size_t i = 1; i <= doc.ElementCount(); ++i) {
    XmlDocument::ElementInfo e = doc.Element(i);
    std::printf("%" PRIu32 "\t%s\t%" PRIu32 "\t%" PRIu32 "\t0x%" PRIx32 "\n", e.level,
                oneLine(toUtf8(e.name)).c_str(), e.start, e.length, e.flags);
  }
  return wellFormed ? 0 : 1;
}

}  // namespace tembra::tools
