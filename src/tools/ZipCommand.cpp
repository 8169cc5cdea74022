#include <cinttypes>
#include <cstdio>
#include <ctime>
#include <string>

#include "ads/ZipReader.h"
#include "ads/ZipTime.h"
#include "platform/Utf.h"
#include "tools/Commands.h"

namespace tembra::tools {

namespace {

int usage(const char* problem) {
  std::fprintf(stderr, "tembra-tool: %s\n\n%s", problem, kUsage);
  return 2;
}

// R H S D A, '-' for each bit not set.
std::string attributeLetters(uint32_t attributes) {
  std::string out = "-----";
  if (attributes & kZipAttrReadOnly) out[0] = 'R';
  if (attributes & kZipAttrHidden) out[1] = 'H';
  if (attributes & kZipAttrSystem) out[2] = 'S';
  if (attributes & kZipAttrDirectory) out[3] = 'D';
  if (attributes & kZipAttrArchive) out[4] = 'A';
  return out;
}

std::string utcText(uint64_t fileTime) {
  const timespec ts = ZipTime::ToTimespec(fileTime);
  std::tm utc{};
  char text[32];
  if (gmtime_r(&ts.tv_sec, &utc) == nullptr || std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%SZ", &utc) == 0) {
    return "?";
  }
  return text;
}

// Names come from the archive: a line break in one must not fake a line.
std::string printable(const std::u16string& name) {
  std::string out = toUtf8(name);
  for (char& c : out) {
    if (c == '\n' || c == '\r' || c == '\t') c = '?';
  }
  return out;
}

bool open(ZipReader& zip, const std::string& path, ZipItem& all) {
  const uint32_t code = zip.openArchive(path);
  if (code != ZipReader::kOk) {
    std::fprintf(stderr, "tembra-tool: '%s' is not a readable zip archive (0x%" PRIX32 ")\n", path.c_str(), code);
    return false;
  }
  zip.getItem(-1, all);
  return true;
}

// index, name, attributes, compressed and uncompressed size, then the
// modification, access and creation times in UTC, separated by tabs.
int list(const std::string& path) {
  ZipReader zip;
  ZipItem all;
  if (!open(zip, path, all)) return 2;
  std::puts("index\tname\tattributes\tcompressed\tsize\tmodified\taccessed\tcreated");
  int failed = 0;
  for (int32_t i = 0; i < all.index; ++i) {
    ZipItem item;
    if (const uint32_t code = zip.getItem(i, item); code != ZipReader::kOk) {
      std::fprintf(stderr, "tembra-tool: member %" PRId32 " cannot be described (0x%" PRIX32 ")\n", i, code);
      ++failed;
      continue;
    }
    std::printf("%" PRId32 "\t%s\t%s 0x%02" PRIX32 "\t%" PRIu32 "\t%" PRIu32 "\t%s\t%s\t%s\n", i,
                printable(item.name).c_str(), attributeLetters(item.attributes).c_str(), item.attributes,
                item.compressedSize, item.uncompressedSize, utcText(item.modificationTime).c_str(),
                utcText(item.accessTime).c_str(), utcText(item.creationTime).c_str());
  }
  return failed == 0 ? 0 : 1;
}

// One line per member: its result code and cleaned name.
int extract(const std::string& path, const std::string& folder) {
  ZipReader zip;
  ZipItem all;
  if (!open(zip, path, all)) return 2;
  if (zip.setBaseFolder(folder) != ZipReader::kOk) return usage("extract takes a usable DIR");
  int failed = 0;
  for (int32_t i = 0; i < all.index; ++i) {
    ZipItem item;
    uint32_t code = zip.getItem(i, item);
    if (code == ZipReader::kOk) code = zip.extractItem(i, item.name);
    if (code != ZipReader::kOk) ++failed;
    const std::string name = item.index == i ? printable(item.name) : "#" + std::to_string(i);
    std::printf("0x%" PRIX32 "\t%s\n", code, name.c_str());
  }
  if (failed > 0) std::fprintf(stderr, "tembra-tool: %d of %" PRId32 " members failed\n", failed, all.index);
  return failed == 0 ? 0 : 1;
}

}  // namespace

int runZip(const std::vector<std::string>& args) {
  if (args.size() == 2 && args[0] == "list") return list(args[1]);
  if (args.size() == 3 && args[0] == "extract") return extract(args[1], args[2]);
  return usage("zip takes list ARCHIVE or extract ARCHIVE DIR");
}

}  // namespace tembra::tools
