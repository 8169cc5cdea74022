#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "ads/ZipItem.h"
#include "platform/UniqueFd.h"

namespace tembra {

class ExtractFolder;

// Reads a zip archive (single volume, no ZIP64) from a file and writes its
// members below a base folder. Stored and deflated members are read;
// members encrypted with the traditional scheme are tried with the empty
// password. Every operation returns one of the result codes below.
//
//   ZipReader zip;
//   if (zip.openArchive(path) == ZipReader::kOk) {
//     zip.setBaseFolder(folder);
//     ZipItem all;
//     zip.getItem(-1, all);                      // all.index = member count
//     for (int32_t i = 0; i < all.index; ++i) {
//       ZipItem item;
//       if (zip.getItem(i, item) == ZipReader::kOk) zip.extractItem(i, item.name);
//     }
//     zip.closeArchive();
//   }
//
// Whatever the names in the archive, nothing is written outside the base
// folder: names are cleaned, ".." steps are refused and no symbolic link is
// followed below the base folder. A member stored as a link is written as a
// plain file holding the link's text. A member never produces more than its
// declared size, and a failed member leaves any earlier file of its name
// untouched. One reader is used by one thread at a time.
class ZipReader {
 public:
  static constexpr uint32_t kOk = 0;
  // A file could not be opened or created (also: an existing read-only file
  // or folder in the way); openArchive: no valid end-of-central-directory record.
  static constexpr uint32_t kErrOpen = 0x200;
  static constexpr uint32_t kErrWrite = 0x400;
  // A local header disagrees with the central directory, or the method is
  // neither stored (0) nor deflated (8).
  static constexpr uint32_t kErrLocalHeader = 0x700;
  static constexpr uint32_t kErrRead = 0x800;
  static constexpr uint32_t kErrPassword = 0x1000;
  static constexpr uint32_t kErrArguments = 0x10000;
  static constexpr uint32_t kErrNotOpen = 0x80000;
  static constexpr uint32_t kErrAlreadyOpen = 0x1000000;
  // Corrupt or truncated member data, a CRC-32 mismatch, or a member that
  // would inflate past its declared size; nothing is written for it.
  static constexpr uint32_t kErrData = 0x5000000;

  // How far back from the end of the file the end record is looked for:
  // the record itself and the longest comment it can carry.
  static constexpr uint32_t kEndSearchBytes = 65535 + 22;
  // A central directory larger than this is not loaded.
  static constexpr uint32_t kMaxCentralBytes = 64u << 20;
  static constexpr size_t kBufferBytes = 16384;

  ZipReader();
  ~ZipReader();
  ZipReader(const ZipReader&) = delete;
  ZipReader& operator=(const ZipReader&) = delete;

  // Opens the archive at path and checks its end record. The base folder
  // becomes the current directory.
  uint32_t openArchive(const std::string& path);
  // The folder members are written below (UTF-8 path; a trailing '/' is
  // added). kErrArguments, keeping the old folder, for an empty path or one
  // longer than a path can be.
  uint32_t setBaseFolder(std::string_view folder);
  const std::string& baseFolder() const { return base_; }
  // index -1: item.index = number of members, the rest cleared. 0..count-1:
  // describes that member (cleaned name, attributes, times, sizes).
  uint32_t getItem(int32_t index, ZipItem& item);
  // Writes member index to base folder + name (the cleaned name from
  // getItem; '\' and '/' both separate folders). A directory member creates
  // its folder. Times are set and read-only removes the write permission;
  // hidden, system and creation time have no equivalent here.
  uint32_t extractItem(int32_t index, std::u16string_view name);
  uint32_t closeArchive();

  bool isOpen() const { return file_.valid(); }

 private:
  struct Member;

  uint32_t findEndRecord();
  uint32_t centralHeaderAt(int32_t index, size_t& offset);
  uint32_t describe(int32_t index, ZipItem& item, Member& member);
  uint32_t writeMember(const Member& member, int folderFd, const std::string& fileName,
                       const ZipItem& item);
  uint32_t copyStored(const Member& member, uint64_t offset, uint64_t available,
                      class ZipCipher* cipher, class PendingFile& out, uint32_t& crc);
  uint32_t inflateMember(const Member& member, uint64_t offset, uint64_t available,
                         class ZipCipher* cipher, class PendingFile& out, uint32_t& crc);
  bool readAt(uint64_t offset, void* data, size_t size);

  UniqueFd file_;
  uint64_t fileSize_ = 0;
  uint64_t shift_ = 0;       // bytes of other data in front of the archive
  uint64_t centralStart_ = 0;  // file offset of the central directory
  int32_t count_ = 0;
  std::vector<uint8_t> central_;
  std::vector<size_t> headerOffsets_;  // into central_, for the members reached so far
  std::string base_;
  int32_t cachedIndex_ = -1;  // the member last described, -1 for none
  ZipItem cachedItem_;
  std::unique_ptr<Member> cachedMember_;
  // Folders opened below base_, kept for the members that follow.
  std::unique_ptr<ExtractFolder> folders_;
  std::vector<uint8_t> input_;
  std::vector<uint8_t> output_;  // allocated at the first extraction
};

}  // namespace tembra
