#pragma once
#include <cstdint>
#include <string>

namespace tembra {

// Windows file attribute bits as zip archives carry them.
inline constexpr uint32_t kZipAttrReadOnly = 0x01;
inline constexpr uint32_t kZipAttrHidden = 0x02;
inline constexpr uint32_t kZipAttrSystem = 0x04;
inline constexpr uint32_t kZipAttrDirectory = 0x10;
inline constexpr uint32_t kZipAttrArchive = 0x20;

// One member of an archive as ZipReader::getItem describes it. Times are
// file times: 100-nanosecond ticks since 1601-01-01 UTC.
struct ZipItem {
  int32_t index = -1;  // position in the central directory; the count for getItem(-1)
  std::u16string name;  // cleaned relative path; may hold '\' or '/' as separators
  uint32_t attributes = 0;
  uint64_t accessTime = 0;
  uint64_t creationTime = 0;
  uint64_t modificationTime = 0;
  uint32_t compressedSize = 0;
  uint32_t uncompressedSize = 0;
};

}  // namespace tembra
