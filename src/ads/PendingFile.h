#pragma once
#include <cstddef>
#include <cstdint>
#include <ctime>
#include <string>

#include "platform/UniqueFd.h"

namespace tembra {

// One output file of an extraction. When a file of that name exists, the
// new one is written under a hidden temporary name in its folder and
// renamed over it only when complete, so a member that fails half-way
// leaves the old file in place, never a torn one; otherwise it is written
// under its own name. Either way the new file is removed unless commit()
// succeeded.
class PendingFile {
 public:
  enum class Opened { Ok, Refused, Failed };

  PendingFile() = default;
  ~PendingFile();
  PendingFile(const PendingFile&) = delete;
  PendingFile& operator=(const PendingFile&) = delete;

  // Refused when the target is a folder or a read-only file (no owner write
  // permission), which stays untouched; Failed when the temporary file
  // cannot be made. A symbolic link at the target is replaced, not followed.
  Opened open(int folderFd, const std::string& name);
  bool write(const uint8_t* data, size_t size);
  // Applies read-only (write permission bits removed) and the times, then
  // renames the file into place.
  bool commit(bool readOnly, const timespec& accessTime, const timespec& modificationTime);

 private:
  void discard();

  int folderFd_ = -1;  // borrowed from the caller
  std::string name_;
  std::string tempName_;  // the name being written; empty once committed or removed
  bool direct_ = false;   // tempName_ is the target's own name
  UniqueFd fd_;
};

}  // namespace tembra
