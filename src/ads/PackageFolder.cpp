#include "ads/PackageFolder.h"

#include <fcntl.h>
#include <linux/fs.h>
#include <stdio.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <system_error>

#include "ads/ExtractFolder.h"
#include "ads/ZipReader.h"

namespace tembra {

namespace {

namespace fs = std::filesystem;

struct Split {
  std::string parent;  // with the trailing '/'
  std::string leaf;
};

Split split(const std::string& folder) {
  std::string path = folder;
  while (path.size() > 1 && path.back() == '/') path.pop_back();
  const size_t slash = path.rfind('/');
  if (slash == std::string::npos) return {"./", path};
  return {path.substr(0, slash + 1), path.substr(slash + 1)};
}

// The prefix of every temporary name made for folder; RemoveLeftovers
// matches on it.
std::string tempPrefix(const Split& where) { return where.parent + "." + where.leaf + ".tmp-"; }

void removeTree(const std::string& path) {
  std::error_code ignored;
  fs::remove_all(path, ignored);
}

std::string describe(uint32_t code) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%X", code);
  return text;
}

// Exchanges the two names in one step where the file system can; elsewhere
// the old folder is moved aside first, which leaves a moment without it.
bool swapIn(const std::string& fresh, const std::string& target, const std::string& aside) {
  if (::renameat2(AT_FDCWD, fresh.c_str(), AT_FDCWD, target.c_str(), RENAME_EXCHANGE) == 0) {
    removeTree(fresh);
    return true;
  }
  if (errno == ENOENT) return ::rename(fresh.c_str(), target.c_str()) == 0;
  if (::rename(target.c_str(), aside.c_str()) != 0) {
    return errno == ENOENT && ::rename(fresh.c_str(), target.c_str()) == 0;
  }
  if (::rename(fresh.c_str(), target.c_str()) != 0) {
    ::rename(aside.c_str(), target.c_str());
    return false;
  }
  removeTree(aside);
  return true;
}

}  // namespace

void PackageFolder::RemoveLeftovers(const std::string& folder) {
  const Split where = split(folder);
  const std::string prefix = "." + where.leaf + ".tmp-";
  std::error_code error;
  for (fs::directory_iterator it(where.parent, error), end; !error && it != end; it.increment(error)) {
    const std::string name = it->path().filename().string();
    if (name.compare(0, prefix.size(), prefix) == 0) removeTree(it->path().string());
  }
}

PackageFolder::Result PackageFolder::Install(const std::string& archive, const std::string& folder) {
  Result result;
  ZipReader zip;
  if (uint32_t code = zip.openArchive(archive); code != ZipReader::kOk) {
    result.problem = "not a readable zip archive (" + describe(code) + ")";
    return result;
  }
  ZipItem all;
  zip.getItem(-1, all);
  if (all.index == 0) {
    result.problem = "the archive holds no members";
    return result;
  }
  uint64_t declared = 0;
  for (int32_t i = 0; i < all.index; ++i) {
    ZipItem item;
    if (uint32_t code = zip.getItem(i, item); code != ZipReader::kOk) {
      result.problem = "member " + std::to_string(i) + " cannot be read (" + describe(code) + ")";
      return result;
    }
    declared += item.uncompressedSize;
  }
  if (declared > kMaxUnpackedBytes) {
    result.problem = "the members declare " + std::to_string(declared) + " bytes, more than the " +
                     std::to_string(kMaxUnpackedBytes) + " a package may hold";
    return result;
  }

  const Split where = split(folder);
  if (!ExtractFolder::MakePath(where.parent)) {
    result.problem = "cannot create " + where.parent;
    return result;
  }
  RemoveLeftovers(folder);
  std::string fresh = tempPrefix(where) + "XXXXXX";
  if (::mkdtemp(fresh.data()) == nullptr) {
    result.problem = "cannot create a folder beside " + folder + ": " + std::strerror(errno);
    return result;
  }
  zip.setBaseFolder(fresh);
  for (int32_t i = 0; i < all.index; ++i) {
    ZipItem item;
    uint32_t code = zip.getItem(i, item);
    if (code == ZipReader::kOk) code = zip.extractItem(i, item.name);
    if (code != ZipReader::kOk) {
      removeTree(fresh);
      result.problem = "member " + std::to_string(i) + " did not unpack (" + describe(code) + ")";
      return result;
    }
  }
  zip.closeArchive();
  ::chmod(fresh.c_str(), 0755);  // mkdtemp made it private; the pages are not secret
  std::string target = where.parent + where.leaf;
  if (!swapIn(fresh, target, tempPrefix(where) + "old")) {
    result.problem = "cannot put the new folder in place of " + target + ": " + std::strerror(errno);
    removeTree(fresh);
    return result;
  }
  result.installed = true;
  result.members = static_cast<uint32_t>(all.index);
  return result;
}

}  // namespace tembra
