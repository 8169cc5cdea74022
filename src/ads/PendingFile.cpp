#include "ads/PendingFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <random>

namespace tembra {

namespace {

constexpr mode_t kFileMode = 0666;  // narrowed by the umask, as for any new file

std::string tempNameCandidate() {
  thread_local std::mt19937_64 random{std::random_device{}()};
  char name[40];
  std::snprintf(name, sizeof name, ".tembra-part-%016llx", static_cast<unsigned long long>(random()));
  return name;
}

}  // namespace

PendingFile::~PendingFile() { discard(); }

void PendingFile::discard() {
  if (!tempName_.empty()) {
    fd_.reset();
    ::unlinkat(folderFd_, tempName_.c_str(), 0);
    tempName_.clear();
  }
}

PendingFile::Opened PendingFile::open(int folderFd, const std::string& name) {
  discard();
  direct_ = false;
  folderFd_ = folderFd;
  name_ = name;
  struct stat st {};
  if (::fstatat(folderFd, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0) {
    if (S_ISDIR(st.st_mode)) return Opened::Refused;
    if (S_ISREG(st.st_mode) && (st.st_mode & S_IWUSR) == 0) return Opened::Refused;
  } else if (errno != ENOENT) {
    return Opened::Failed;
  } else {
    // Nothing to keep: write under the final name, created here and now,
    // and removed again if the member fails.
    int fd = ::openat(folderFd, name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, kFileMode);
    if (fd >= 0) {
      fd_.reset(fd);
      tempName_ = name;
      direct_ = true;
      return Opened::Ok;
    }
    if (errno != EEXIST) return Opened::Failed;
  }
  for (int attempt = 0; attempt < 16; ++attempt) {
    std::string candidate = tempNameCandidate();
    int fd = ::openat(folderFd, candidate.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC,
                      kFileMode);
    if (fd >= 0) {
      fd_.reset(fd);
      tempName_ = std::move(candidate);
      return Opened::Ok;
    }
    if (errno != EEXIST) break;
  }
  return Opened::Failed;
}

bool PendingFile::write(const uint8_t* data, size_t size) {
  while (size > 0) {
    const ssize_t n = ::write(fd_.get(), data, size);
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    data += n;
    size -= static_cast<size_t>(n);
  }
  return true;
}

bool PendingFile::commit(bool readOnly, const timespec& accessTime, const timespec& modificationTime) {
  if (tempName_.empty()) return false;
  if (readOnly) {
    struct stat st {};
    if (::fstat(fd_.get(), &st) != 0 || ::fchmod(fd_.get(), st.st_mode & ~(S_IWUSR | S_IWGRP | S_IWOTH)) != 0) {
      return false;
    }
  }
  const timespec times[2] = {accessTime, modificationTime};
  ::futimens(fd_.get(), times);  // a file system without times still gets the data
  if (::close(fd_.release()) != 0) return false;
  if (!direct_ && ::renameat(folderFd_, tempName_.c_str(), folderFd_, name_.c_str()) != 0) return false;
  tempName_.clear();
  return true;
}

}  // namespace tembra
