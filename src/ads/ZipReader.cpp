#include "ads/ZipReader.h"

#include <fcntl.h>
#include <limits.h>
#include <sys/stat.h>
#include <unistd.h>
#include <zlib.h>

#include <algorithm>
#include <cstring>

#include "ads/ExtractFolder.h"
#include "ads/PendingFile.h"
#include "ads/ZipCipher.h"
#include "ads/ZipName.h"
#include "ads/ZipTime.h"
#include "platform/Utf.h"

namespace tembra {

namespace {

constexpr uint32_t kEndSignature = 0x06054B50;
constexpr uint32_t kCentralSignature = 0x02014B50;
constexpr uint32_t kLocalSignature = 0x04034B50;
constexpr size_t kEndBytes = 22;
constexpr size_t kCentralBytes = 46;
constexpr size_t kLocalBytes = 30;
constexpr size_t kSearchWindow = 1028;
constexpr uint16_t kFlagEncrypted = 0x0001;
constexpr uint16_t kFlagDescriptor = 0x0008;
constexpr uint16_t kStored = 0;
constexpr uint16_t kDeflated = 8;
constexpr uint16_t kExtendedTimestamp = 0x5455;  // "UT"

uint16_t le16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }
uint32_t le32(const uint8_t* p) {
  return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) | (static_cast<uint32_t>(p[2]) << 16) |
         (static_cast<uint32_t>(p[3]) << 24);
}

uint32_t attributesOf(uint16_t versionMadeBy, uint32_t external) {
  switch (versionMadeBy >> 8) {
    case 0:   // MS-DOS
    case 7:   // Macintosh
    case 11:  // NTFS
    case 14:  // VFAT
      return external & (kZipAttrReadOnly | kZipAttrHidden | kZipAttrSystem | kZipAttrDirectory | kZipAttrArchive);
    default: {
      uint32_t attributes = kZipAttrArchive;
      if (external & 0x40000000u) attributes |= kZipAttrDirectory;
      if ((external & 0x00800000u) == 0) attributes |= kZipAttrReadOnly;
      return attributes;
    }
  }
}

// The first "UT" block of a local extra field sets the times its flag
// byte announces, in the order modification, access, creation.
void applyExtendedTimestamp(const std::vector<uint8_t>& extra, ZipItem& item) {
  size_t at = 0;
  while (at + 4 <= extra.size()) {
    const uint16_t id = le16(&extra[at]);
    const size_t size = le16(&extra[at + 2]);
    const size_t data = at + 4;
    if (data + size > extra.size()) return;
    if (id == kExtendedTimestamp) {
      if (size < 1) return;
      const uint8_t flags = extra[data];
      size_t pos = data + 1;
      uint64_t* targets[3] = {&item.modificationTime, &item.accessTime, &item.creationTime};
      for (int bit = 0; bit < 3; ++bit) {
        if ((flags & (1 << bit)) == 0) continue;
        if (pos + 4 > data + size) return;
        *targets[bit] = ZipTime::FromUnixSeconds(le32(&extra[pos]));
        pos += 4;
      }
      return;
    }
    at = data + size;
  }
}

bool endsInSeparator(std::u16string_view name) {
  return !name.empty() && (name.back() == u'/' || name.back() == u'\\');
}

}  // namespace

struct ZipReader::Member {
  uint16_t flags = 0;
  uint16_t method = 0;
  uint16_t dosTime = 0;
  uint32_t crc = 0;
  uint32_t compressedSize = 0;
  uint32_t uncompressedSize = 0;
  uint64_t dataOffset = 0;  // file offset of the member's data
};

ZipReader::ZipReader() : cachedMember_(std::make_unique<Member>()) {}
ZipReader::~ZipReader() = default;

bool ZipReader::readAt(uint64_t offset, void* data, size_t size) {
  auto* out = static_cast<uint8_t*>(data);
  while (size > 0) {
    const ssize_t n = ::pread(file_.get(), out, size, static_cast<off_t>(offset));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    out += n;
    offset += static_cast<uint64_t>(n);
    size -= static_cast<size_t>(n);
  }
  return true;
}

uint32_t ZipReader::openArchive(const std::string& path) {
  if (file_.valid()) return kErrAlreadyOpen;
  UniqueFd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
  struct stat st {};
  if (!fd.valid() || ::fstat(fd.get(), &st) != 0 || !S_ISREG(st.st_mode)) return kErrOpen;
  file_ = std::move(fd);
  fileSize_ = static_cast<uint64_t>(st.st_size);
  const uint32_t result = findEndRecord();
  if (result != kOk) {
    closeArchive();
    return result;
  }
  folders_.reset();
  char cwd[PATH_MAX];
  base_ = ::getcwd(cwd, sizeof cwd) != nullptr ? std::string(cwd) : std::string(".");
  if (base_.back() != '/') base_.push_back('/');
  return kOk;
}

// Looks backwards over the last kEndSearchBytes bytes, in windows that
// overlap by 4 so that no signature is split, for the end record nearest to
// the end whose fields make sense. A comment that happens to hold the
// signature bytes therefore does not hide the real record behind it.
uint32_t ZipReader::findEndRecord() {
  if (fileSize_ < kEndBytes) return kErrOpen;
  const uint64_t searchStart = fileSize_ > kEndSearchBytes ? fileSize_ - kEndSearchBytes : 0;
  std::vector<uint8_t> window(kSearchWindow);
  uint64_t windowEnd = fileSize_;
  while (windowEnd > searchStart) {
    const uint64_t windowStart = windowEnd - searchStart > kSearchWindow ? windowEnd - kSearchWindow : searchStart;
    const size_t length = static_cast<size_t>(windowEnd - windowStart);
    if (!readAt(windowStart, window.data(), length)) return kErrRead;
    for (size_t i = length >= 4 ? length - 4 + 1 : 0; i-- > 0;) {
      if (le32(&window[i]) != kEndSignature) continue;
      const uint64_t at = windowStart + i;
      uint8_t record[kEndBytes];
      if (at + kEndBytes > fileSize_ || !readAt(at, record, kEndBytes)) continue;
      const uint16_t disk = le16(record + 4), centralDisk = le16(record + 6);
      const uint16_t entriesHere = le16(record + 8), entries = le16(record + 10);
      const uint32_t centralSize = le32(record + 12), centralOffset = le32(record + 16);
      if (disk != 0 || centralDisk != 0 || entriesHere != entries) continue;
      const uint64_t centralEnd = static_cast<uint64_t>(centralOffset) + centralSize;
      if (centralEnd > at || static_cast<uint64_t>(entries) * kCentralBytes > centralSize) continue;
      if (centralSize > kMaxCentralBytes) continue;
      shift_ = at - centralEnd;
      centralStart_ = shift_ + centralOffset;
      central_.assign(centralSize, 0);
      if (!readAt(centralStart_, central_.data(), centralSize)) return kErrRead;
      count_ = entries;
      headerOffsets_.assign(1, 0);
      cachedIndex_ = -1;
      return kOk;
    }
    if (windowStart == searchStart) break;
    windowEnd = windowStart + 4;
  }
  return kErrOpen;
}

uint32_t ZipReader::setBaseFolder(std::string_view folder) {
  if (folder.empty() || folder.size() >= PATH_MAX - 1 || folder.find('\0') != std::string_view::npos) {
    return kErrArguments;
  }
  folders_.reset();
  base_.assign(folder);
  if (base_.back() != '/' && base_.back() != '\\') base_.push_back('/');
  if (base_.back() == '\\') base_.back() = '/';
  return kOk;
}

uint32_t ZipReader::centralHeaderAt(int32_t index, size_t& offset) {
  while (headerOffsets_.size() <= static_cast<size_t>(index)) {
    const size_t at = headerOffsets_.back();
    if (at + kCentralBytes > central_.size() || le32(&central_[at]) != kCentralSignature) return kErrRead;
    const size_t next = at + kCentralBytes + le16(&central_[at + 28]) + le16(&central_[at + 30]) +
                        le16(&central_[at + 32]);
    if (next > central_.size()) return kErrRead;
    headerOffsets_.push_back(next);
  }
  offset = headerOffsets_[static_cast<size_t>(index)];
  if (offset + kCentralBytes > central_.size() || le32(&central_[offset]) != kCentralSignature) return kErrRead;
  const size_t nameLength = le16(&central_[offset + 28]);
  if (offset + kCentralBytes + nameLength > central_.size()) return kErrRead;
  return kOk;
}

uint32_t ZipReader::describe(int32_t index, ZipItem& item, Member& member) {
  if (index == cachedIndex_) {
    item = cachedItem_;
    member = *cachedMember_;
    return kOk;
  }
  size_t at = 0;
  if (uint32_t result = centralHeaderAt(index, at); result != kOk) return result;
  const uint8_t* h = &central_[at];
  const uint16_t madeBy = le16(h + 4);
  member.flags = le16(h + 8);
  member.method = le16(h + 10);
  member.dosTime = le16(h + 12);
  const uint16_t dosDate = le16(h + 14);
  member.crc = le32(h + 16);
  member.compressedSize = le32(h + 20);
  member.uncompressedSize = le32(h + 24);
  const uint16_t nameLength = le16(h + 28);
  const uint32_t external = le32(h + 38);
  const uint64_t localOffset = shift_ + le32(h + 42);
  const std::string_view storedName(reinterpret_cast<const char*>(h + kCentralBytes), nameLength);

  // The header, its name and (usually) its extra field in one read.
  uint8_t head[kLocalBytes + 512];
  if (localOffset + kLocalBytes > fileSize_) return kErrRead;
  const size_t headBytes = static_cast<size_t>(std::min<uint64_t>(sizeof head, fileSize_ - localOffset));
  if (!readAt(localOffset, head, headBytes)) return kErrRead;
  const uint8_t* local = head;
  const uint16_t localMethod = le16(local + 8);
  if (le32(local) != kLocalSignature || localMethod != member.method ||
      (member.method != kStored && member.method != kDeflated) || le16(local + 26) != nameLength) {
    return kErrLocalHeader;
  }
  if ((member.flags & kFlagDescriptor) == 0 &&
      (le32(local + 14) != member.crc || le32(local + 18) != member.compressedSize ||
       le32(local + 22) != member.uncompressedSize)) {
    return kErrLocalHeader;
  }
  const uint16_t extraLength = le16(local + 28);
  std::vector<uint8_t> extra(extraLength);
  const uint64_t extraOffset = localOffset + kLocalBytes + nameLength;
  const size_t extraAt = kLocalBytes + nameLength;
  if (extraAt + extraLength <= headBytes) {
    std::copy(head + extraAt, head + extraAt + extraLength, extra.begin());
  } else if (extraLength > 0 && !readAt(extraOffset, extra.data(), extraLength)) {
    return kErrRead;
  }
  member.dataOffset = extraOffset + extraLength;

  item = ZipItem{};
  item.index = index;
  item.name = ZipName::Clean(fromUtf8(storedName));
  item.attributes = attributesOf(madeBy, external);
  const uint64_t dos = ZipTime::FromDos(dosDate, member.dosTime);
  item.accessTime = item.creationTime = item.modificationTime = dos;
  applyExtendedTimestamp(extra, item);
  item.compressedSize = member.compressedSize;
  item.uncompressedSize = member.uncompressedSize;

  cachedIndex_ = index;
  cachedItem_ = item;
  *cachedMember_ = member;
  return kOk;
}

uint32_t ZipReader::getItem(int32_t index, ZipItem& item) {
  if (!file_.valid()) return kErrNotOpen;
  if (index == -1) {
    item = ZipItem{};
    item.index = count_;
    return kOk;
  }
  if (index < 0 || index >= count_) return kErrArguments;
  Member member;
  return describe(index, item, member);
}

uint32_t ZipReader::extractItem(int32_t index, std::u16string_view name) {
  if (!file_.valid()) return kErrNotOpen;
  if (index < 0 || index >= count_) return kErrArguments;
  ZipItem item;
  Member member;
  if (uint32_t result = describe(index, item, member); result != kOk) return result;

  std::vector<std::string> parts;
  if (!ExtractFolder::SplitName(toUtf8(name), parts)) return kErrOpen;
  if (!folders_) folders_ = std::make_unique<ExtractFolder>(base_);
  const bool folder = (item.attributes & kZipAttrDirectory) != 0 || endsInSeparator(name);
  if (folder) return folders_->Open(parts, parts.size()) >= 0 ? kOk : kErrOpen;
  if (parts.empty()) return kErrOpen;
  const int parent = folders_->Open(parts, parts.size() - 1);
  if (parent < 0) return kErrOpen;
  return writeMember(member, parent, parts.back(), item);
}

uint32_t ZipReader::writeMember(const Member& member, int folderFd, const std::string& fileName,
                                const ZipItem& item) {
  PendingFile out;
  if (out.open(folderFd, fileName) != PendingFile::Opened::Ok) return kErrOpen;
  if (output_.empty()) {
    output_.resize(kBufferBytes);
    input_.resize(kBufferBytes);
  }
  uint64_t offset = member.dataOffset;
  uint64_t available = member.compressedSize;
  ZipCipher cipher("");
  ZipCipher* decrypt = nullptr;
  if (member.flags & kFlagEncrypted) {
    uint8_t header[ZipCipher::kHeaderBytes];
    if (available < sizeof header || !readAt(offset, header, sizeof header)) return kErrData;
    const uint8_t expected = (member.flags & kFlagDescriptor) ? static_cast<uint8_t>(member.dosTime >> 8)
                                                             : static_cast<uint8_t>(member.crc >> 24);
    if (cipher.DecryptHeader(header) != expected) return kErrPassword;
    offset += sizeof header;
    available -= sizeof header;
    decrypt = &cipher;
  }
  uint32_t crc = 0;
  const uint32_t result = member.method == kStored ? copyStored(member, offset, available, decrypt, out, crc)
                                                   : inflateMember(member, offset, available, decrypt, out, crc);
  if (result != kOk) return result;
  if (crc != member.crc) return kErrData;
  const bool readOnly = (item.attributes & kZipAttrReadOnly) != 0;
  if (!out.commit(readOnly, ZipTime::ToTimespec(item.accessTime), ZipTime::ToTimespec(item.modificationTime))) {
    return kErrWrite;
  }
  return kOk;
}

uint32_t ZipReader::copyStored(const Member& member, uint64_t offset, uint64_t available, ZipCipher* cipher,
                               PendingFile& out, uint32_t& crc) {
  uint64_t left = member.uncompressedSize;
  if (available < left) return kErrData;
  crc = static_cast<uint32_t>(::crc32(0, nullptr, 0));
  while (left > 0) {
    const size_t n = static_cast<size_t>(std::min<uint64_t>(left, output_.size()));
    if (!readAt(offset, output_.data(), n)) return kErrData;
    if (cipher != nullptr) cipher->Decrypt(output_.data(), n);
    crc = static_cast<uint32_t>(::crc32(crc, output_.data(), static_cast<uInt>(n)));
    if (!out.write(output_.data(), n)) return kErrWrite;
    offset += n;
    left -= n;
  }
  return kOk;
}

namespace {

struct Inflater {
  z_stream stream{};
  bool ready = false;
  Inflater() { ready = ::inflateInit2(&stream, -MAX_WBITS) == Z_OK; }
  ~Inflater() {
    if (ready) ::inflateEnd(&stream);
  }
};

}  // namespace

// Inflates until the declared size is written. The stream must end exactly
// there: data that would go on past it marks the member as damaged or
// hostile, and it is refused rather than silently cut.
uint32_t ZipReader::inflateMember(const Member& member, uint64_t offset, uint64_t available, ZipCipher* cipher,
                                  PendingFile& out, uint32_t& crc) {
  Inflater inflater;
  if (!inflater.ready) return kErrData;
  z_stream& z = inflater.stream;
  uint64_t left = member.uncompressedSize;
  crc = static_cast<uint32_t>(::crc32(0, nullptr, 0));
  bool ended = false;
  auto refill = [&]() -> bool {
    const size_t n = static_cast<size_t>(std::min<uint64_t>(available, input_.size()));
    if (n == 0 || !readAt(offset, input_.data(), n)) return false;
    if (cipher != nullptr) cipher->Decrypt(input_.data(), n);
    offset += n;
    available -= n;
    z.next_in = input_.data();
    z.avail_in = static_cast<uInt>(n);
    return true;
  };
  while (left > 0) {
    if (z.avail_in == 0 && !refill()) return kErrData;
    const size_t room = static_cast<size_t>(std::min<uint64_t>(left, output_.size()));
    z.next_out = output_.data();
    z.avail_out = static_cast<uInt>(room);
    const int status = ::inflate(&z, Z_NO_FLUSH);
    if (status != Z_OK && status != Z_STREAM_END && status != Z_BUF_ERROR) return kErrData;
    const size_t produced = room - z.avail_out;
    if (produced > 0) {
      crc = static_cast<uint32_t>(::crc32(crc, output_.data(), static_cast<uInt>(produced)));
      if (!out.write(output_.data(), produced)) return kErrWrite;
      left -= produced;
    }
    if (status == Z_STREAM_END) {
      ended = true;
      break;
    }
    if (status == Z_BUF_ERROR && z.avail_in > 0) return kErrData;
  }
  if (left > 0) return kErrData;
  while (!ended) {
    uint8_t overflow = 0;
    z.next_out = &overflow;
    z.avail_out = 1;
    if (z.avail_in == 0 && !refill()) return kErrData;
    const int status = ::inflate(&z, Z_NO_FLUSH);
    if (z.avail_out == 0) return kErrData;
    if (status == Z_STREAM_END) {
      ended = true;
    } else if ((status != Z_OK && status != Z_BUF_ERROR) || (status == Z_BUF_ERROR && z.avail_in > 0)) {
      return kErrData;
    }
  }
  return kOk;
}

uint32_t ZipReader::closeArchive() {
  if (!file_.valid()) return kErrNotOpen;
  file_.reset();
  folders_.reset();
  central_.clear();
  central_.shrink_to_fit();
  headerOffsets_.clear();
  count_ = 0;
  cachedIndex_ = -1;
  output_.clear();
  output_.shrink_to_fit();
  input_.clear();
  input_.shrink_to_fit();
  return kOk;
}

}  // namespace tembra
