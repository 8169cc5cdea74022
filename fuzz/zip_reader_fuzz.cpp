// An arbitrary file opened as a zip archive: every member described and the
// small ones extracted below a scratch folder. Nothing may crash, and no
// cleaned name may leave the base folder.
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>

#include "FuzzSupport.h"
#include "ads/ZipItem.h"
#include "ads/ZipReader.h"

using tembra::ZipItem;
using tembra::ZipReader;
using tembra::fuzz::Check;

namespace {

// A member that declares more than this is described but not written, so
// that one input cannot fill the disk.
constexpr uint32_t kMaxExtractBytes = 1u << 20;
constexpr int32_t kMaxMembers = 256;

bool Escapes(const std::u16string& name) {
  if (!name.empty() && (name[0] == u'/' || name[0] == u'\\')) return true;
  size_t start = 0;
  for (;;) {
    size_t end = name.find_first_of(u"/\\", start);
    const std::u16string part = name.substr(start, end == std::u16string::npos ? std::u16string::npos : end - start);
    if (part == u"..") return true;
    if (end == std::u16string::npos) return false;
    start = end + 1;
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const tembra::fuzz::Scratch scratch("zip-fuzz");
  scratch.clear();
  const std::string archive = scratch.write("in.zip", tembra::fuzz::Bytes(data, size));
  const std::string base = scratch.file("out");
  std::filesystem::create_directory(base);

  ZipReader zip;
  if (zip.openArchive(archive) != ZipReader::kOk) return 0;
  Check(zip.setBaseFolder(base) == ZipReader::kOk);
  ZipItem all;
  Check(zip.getItem(-1, all) == ZipReader::kOk);
  Check(all.index >= 0);
  for (int32_t i = 0; i < all.index && i < kMaxMembers; ++i) {
    ZipItem item;
    if (zip.getItem(i, item) != ZipReader::kOk) continue;
    Check(item.index == i);
    Check(!Escapes(item.name));
    if (item.uncompressedSize <= kMaxExtractBytes) (void)zip.extractItem(i, item.name);
  }
  ZipItem past;
  Check(zip.getItem(all.index, past) != ZipReader::kOk);
  Check(zip.closeArchive() == ZipReader::kOk);
  return 0;
}
