#pragma once
// Helpers of the zip reader tests: files, other programs that make
// archives, and a raw archive writer for archives no tool would make.
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <zip.h>
#include <zlib.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "Deflate.h"
#include "platform/TestFiles.h"

namespace tembra::test {

inline bool exists(const std::string& path) {
  struct stat st {};
  return ::lstat(path.c_str(), &st) == 0;
}

inline void setMtime(const std::string& path, time_t seconds) {
  const timespec times[2] = {{seconds, 0}, {seconds, 0}};
  ::utimensat(AT_FDCWD, path.c_str(), times, AT_SYMLINK_NOFOLLOW);
}

inline time_t mtimeOf(const std::string& path) {
  struct stat st {};
  return ::lstat(path.c_str(), &st) == 0 ? st.st_mtime : -1;
}

// Runs argv[0] from PATH in folder cwd, output discarded; the exit code, or
// -1 when it could not run.
inline int runIn(const std::string& cwd, const std::vector<std::string>& argv) {
  const pid_t pid = ::fork();
  if (pid == 0) {
    if (::chdir(cwd.c_str()) != 0) ::_exit(126);
    const int null = ::open("/dev/null", O_WRONLY);
    ::dup2(null, 1);
    ::dup2(null, 2);
    std::vector<char*> args;
    for (const auto& a : argv) args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    ::execvp(args[0], args.data());
    ::_exit(127);
  }
  int status = 0;
  if (pid < 0 || ::waitpid(pid, &status, 0) != pid || !WIFEXITED(status)) return -1;
  return WEXITSTATUS(status);
}

inline uint32_t crcOf(const std::string& data) {
  return static_cast<uint32_t>(crc32(0, reinterpret_cast<const Bytef*>(data.data()), static_cast<uInt>(data.size())));
}

// One member as the raw writer lays it out; the local header copies the
// central fields unless an override says otherwise.
struct RawMember {
  std::string name;
  std::string data;  // the bytes as they stand in the archive
  uint16_t method = 0;
  uint16_t flags = 0;
  uint16_t madeBy = 0x0314;  // Unix
  uint16_t dosTime = 0x6000;  // 12:00:00
  uint16_t dosDate = 0x5021;  // 2020-01-01
  uint32_t crc = 0;
  uint32_t compressedSize = 0;
  uint32_t uncompressedSize = 0;
  uint32_t external = 0x81A40000;  // regular file, rw-r--r--
  std::string localExtra;
  std::optional<uint32_t> localSignature;
  std::optional<uint16_t> localMethod;
  std::optional<uint32_t> localCrc;
  std::optional<uint32_t> localUncompressed;
  std::optional<uint16_t> localNameLength;

  static RawMember Stored(std::string name, const std::string& content) {
    RawMember m;
    m.name = std::move(name);
    m.data = content;
    m.crc = crcOf(content);
    m.compressedSize = m.uncompressedSize = static_cast<uint32_t>(content.size());
    return m;
  }
  static RawMember Deflated(std::string name, const std::string& content) {
    RawMember m = Stored(std::move(name), content);
    m.method = 8;
    m.data = rawDeflate(content);
    m.compressedSize = static_cast<uint32_t>(m.data.size());
    return m;
  }
  static RawMember Folder(std::string name) {
    RawMember m = Stored(std::move(name), "");
    m.external = 0x41ED0000;  // directory, rwxr-xr-x
    return m;
  }
};

class RawZip {
 public:
  static void put16(std::string& s, uint32_t v) {
    s.push_back(static_cast<char>(v & 0xFF));
    s.push_back(static_cast<char>((v >> 8) & 0xFF));
  }
  static void put32(std::string& s, uint32_t v) {
    put16(s, v & 0xFFFF);
    put16(s, v >> 16);
  }

  // prefix stands in front (a stub); the offsets are relative to the
  // archive's own start, as when a stub is simply put in front.
  static std::string Build(const std::vector<RawMember>& members, const std::string& comment = "",
                           const std::string& prefix = "") {
    std::string zip;
    std::vector<uint32_t> offsets;
    for (const RawMember& m : members) {
      offsets.push_back(static_cast<uint32_t>(zip.size()));
      put32(zip, m.localSignature.value_or(0x04034B50));
      put16(zip, 20);
      put16(zip, m.flags);
      put16(zip, m.localMethod.value_or(m.method));
      put16(zip, m.dosTime);
      put16(zip, m.dosDate);
      put32(zip, m.localCrc.value_or(m.crc));
      put32(zip, m.compressedSize);
      put32(zip, m.localUncompressed.value_or(m.uncompressedSize));
      put16(zip, m.localNameLength.value_or(static_cast<uint16_t>(m.name.size())));
      put16(zip, static_cast<uint32_t>(m.localExtra.size()));
      zip += m.name;
      zip += m.localExtra;
      zip += m.data;
    }
    const uint32_t centralOffset = static_cast<uint32_t>(zip.size());
    for (size_t i = 0; i < members.size(); ++i) {
      const RawMember& m = members[i];
      put32(zip, 0x02014B50);
      put16(zip, m.madeBy);
      put16(zip, 20);
      put16(zip, m.flags);
      put16(zip, m.method);
      put16(zip, m.dosTime);
      put16(zip, m.dosDate);
      put32(zip, m.crc);
      put32(zip, m.compressedSize);
      put32(zip, m.uncompressedSize);
      put16(zip, static_cast<uint32_t>(m.name.size()));
      put16(zip, 0);
      put16(zip, 0);
      put16(zip, 0);
      put16(zip, 0);
      put32(zip, m.external);
      put32(zip, offsets[i]);
      zip += m.name;
    }
    const uint32_t centralSize = static_cast<uint32_t>(zip.size()) - centralOffset;
    put32(zip, 0x06054B50);
    put16(zip, 0);
    put16(zip, 0);
    put16(zip, static_cast<uint32_t>(members.size()));
    put16(zip, static_cast<uint32_t>(members.size()));
    put32(zip, centralSize);
    put32(zip, centralOffset);
    put16(zip, static_cast<uint32_t>(comment.size()));
    zip += comment;
    return prefix + zip;
  }
};

// The traditional PKWARE cipher from the encrypting side, written from the
// published description, for members no installed tool encrypts (an empty
// password).
class TraditionalEncryptor {
 public:
  explicit TraditionalEncryptor(const std::string& password) {
    for (char c : password) update(static_cast<uint8_t>(c));
  }
  // 12-byte header (last byte = check) followed by the encrypted data.
  std::string Encrypt(const std::string& data, uint8_t check) {
    std::string plain = "0123456789A";
    plain.push_back(static_cast<char>(check));
    plain += data;
    std::string out;
    for (char c : plain) {
      const uint8_t p = static_cast<uint8_t>(c);
      const uint32_t t = (k2_ | 2) & 0xFFFF;
      out.push_back(static_cast<char>(p ^ static_cast<uint8_t>((t * (t ^ 1)) >> 8)));
      update(p);
    }
    return out;
  }

 private:
  static uint32_t crcByte(uint32_t crc, uint8_t b) {
    crc ^= b;
    for (int i = 0; i < 8; ++i) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1)));
    return crc;
  }
  void update(uint8_t p) {
    k0_ = crcByte(k0_, p);
    k1_ = (k1_ + (k0_ & 0xFF)) * 134775813u + 1;
    k2_ = crcByte(k2_, static_cast<uint8_t>(k1_ >> 24));
  }
  uint32_t k0_ = 0x12345678, k1_ = 0x23456789, k2_ = 0x34567890;
};

// libzip as a third archive writer. Each entry: name, content, deflate?;
// a name ending in '/' is a directory.
struct LibzipEntry {
  std::string name;
  std::string content;
  bool deflate = true;
  time_t mtime = 0;
};

inline bool writeWithLibzip(const std::string& path, const std::vector<LibzipEntry>& entries,
                            const std::string& comment = "") {
  int error = 0;
  zip_t* archive = zip_open(path.c_str(), ZIP_CREATE | ZIP_TRUNCATE, &error);
  if (archive == nullptr) return false;
  for (const LibzipEntry& e : entries) {
    zip_int64_t index;
    if (!e.name.empty() && e.name.back() == '/') {
      index = zip_dir_add(archive, e.name.c_str(), ZIP_FL_ENC_UTF_8);
    } else {
      zip_source_t* source = zip_source_buffer(archive, e.content.data(), e.content.size(), 0);
      index = zip_file_add(archive, e.name.c_str(), source, ZIP_FL_ENC_UTF_8);
      if (index < 0) zip_source_free(source);
      if (index >= 0) zip_set_file_compression(archive, index, e.deflate ? ZIP_CM_DEFLATE : ZIP_CM_STORE, 0);
    }
    if (index < 0) {
      zip_discard(archive);
      return false;
    }
    if (e.mtime != 0) zip_file_set_mtime(archive, index, e.mtime, 0);
  }
  if (!comment.empty()) zip_set_archive_comment(archive, comment.data(), static_cast<zip_uint16_t>(comment.size()));
  return zip_close(archive) == 0;
}

}  // namespace tembra::test
