#include "xml/XmlFileDecoder.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <bit>
#include <cerrno>
#include <cstring>
#include <memory>
#include <optional>

#include "platform/Utf.h"
#include "xml/CodePageDecoder.h"
#include "xml/DeclaredEncoding.h"
#include "xml/EncodingAliases.h"
#include "xml/MemoryAdvice.h"
#include "xml/Utf8Text.h"

namespace tembra {

namespace {

constexpr size_t kMaxErrorText = 100;

std::u16string number(uint64_t n) { return asciiToUtf16(std::to_string(n)); }

void addEntry(DecodedXmlFile& r, std::u16string name,
              std::vector<std::pair<std::u16string, std::u16string>> attributes = {}) {
  r.entries.push_back({std::move(name), std::move(attributes)});
}

DecodedXmlFile fileError(int err, const std::string& message) {
  DecodedXmlFile r;
  std::string text = message.substr(0, kMaxErrorText);
  addEntry(r, u"file_error", {{u"msg", fromUtf8(text)}, {u"n", number(static_cast<uint64_t>(err))}});
  return r;
}

DecodedXmlFile fileError(int err) { return fileError(err, std::strerror(err)); }

bool equalsAsciiIgnoringCase(std::u16string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    char16_t c = a[i];
    if (c >= 'A' && c <= 'Z') c = static_cast<char16_t>(c - 'A' + 'a');
    char d = b[i];
    if (d >= 'A' && d <= 'Z') d = static_cast<char>(d - 'A' + 'a');
    if (c != static_cast<unsigned char>(d)) return false;
  }
  return true;
}

// Drops zero units in place; returns how many were dropped.
template <typename String>
size_t dropZeros(String& s) {
  auto first = std::find(s.begin(), s.end(), 0);
  if (first == s.end()) return 0;
  auto kept = std::remove(first, s.end(), 0);
  size_t dropped = static_cast<size_t>(s.end() - kept);
  s.erase(kept, s.end());
  return dropped;
}

struct ByteOrderMark {
  std::string_view bytes;
  const char16_t* name;
  EncodingKind kind;
};

const ByteOrderMark kMarks[] = {
    {"\xEF\xBB\xBF", u"UTF-8", EncodingKind::Utf8},
    {"\xFF\xFE", u"UTF-16LE", EncodingKind::Utf16LE},
    {"\xFE\xFF", u"UTF-16BE", EncodingKind::Utf16BE},
};

void decodeUtf16(std::string_view bytes, bool bigEndian, const std::u16string& name, DecodedXmlFile& r) {
  const size_t units = bytes.size() / 2;  // a trailing odd byte is no unit
  r.text.reserve(units);
  MemoryAdvice::PreferHugePages(r.text.data(), units * sizeof(char16_t));
  r.text.resize(units);
  if (units > 0) std::memcpy(r.text.data(), bytes.data(), units * 2);
  const bool swap = bigEndian != (std::endian::native == std::endian::big);
  if (swap) {
    for (char16_t& c : r.text) c = static_cast<char16_t>((c >> 8) | (c << 8));
  }
  size_t dropped = dropZeros(r.text);
  r.encoding = name;
  addEntry(r, u"read", {{u"encoding", name}, {u"length", number(units)}});
  if (dropped) addEntry(r, u"nulls_removed", {{u"count", number(dropped)}});
  if (bigEndian) addEntry(r, u"endian_swap");
}

}  // namespace

// Encoding is settled in the order: byte order mark, the document's own
// declaration, then the UTF-8 shape test. The system code page stands in
// when nothing else is known; on this platform that is UTF-8, so a file
// failing the test still decodes as UTF-8, with replacement characters.
DecodedXmlFile XmlFileDecoder::DecodeBytes(std::string_view bytes) {
  DecodedXmlFile r;
  r.readOk = true;
  const std::string_view head = bytes.substr(0, std::min(bytes.size(), DeclaredEncoding::kScanBytes));

  std::u16string name;
  EncodingKind kind = EncodingKind::Unknown;
  const char* iconvName = nullptr;
  size_t done = 0;
  for (const auto& mark : kMarks) {
    if (head.starts_with(mark.bytes)) {
      name = mark.name;
      kind = mark.kind;
      done = mark.bytes.size();
      addEntry(r, u"bom");
      break;
    }
  }
  if (kind == EncodingKind::Unknown) {
    name = DeclaredEncoding::Find(head);
    if (equalsAsciiIgnoringCase(name, "ANSI")) {
      kind = EncodingKind::Utf8;
    } else if (!name.empty()) {
      EncodingInfo info = EncodingAliases::Lookup(toUtf8(name));
      kind = info.kind;
      iconvName = info.iconvName;
      // A declaration read as 8-bit text cannot describe a file of 2-byte
      // units: such a file is taken for what its bytes show.
      if (kind == EncodingKind::Utf16 || kind == EncodingKind::Utf16LE || kind == EncodingKind::Utf16BE)
        kind = EncodingKind::Unknown;
    }
  }

  const std::string_view rest = bytes.substr(done);
  if (done == 2) {
    decodeUtf16(rest, kind == EncodingKind::Utf16BE, name, r);
    return r;
  }

  std::string compacted;
  std::string_view body = rest;
  size_t dropped = 0;
  if (!rest.empty() && std::memchr(rest.data(), 0, rest.size()) != nullptr) {
    compacted.assign(rest);
    dropped = dropZeros(compacted);
    body = compacted;
  }

  std::optional<CodePageDecoder> converter;
  if (kind == EncodingKind::CodePage) {
    converter.emplace(iconvName);
    if (!converter->ok()) kind = EncodingKind::Unknown;
  }

  addEntry(r, u"read", {{u"encoding", name}, {u"length", number(rest.size())}});
  const size_t readEntry = r.entries.size() - 1;
  if (dropped) addEntry(r, u"nulls_removed", {{u"count", number(dropped)}});

  if (kind == EncodingKind::CodePage) {
    r.text = converter->Decode(body);
    r.encoding = name;
  } else {
    const size_t replaced = Utf8Text::Decode(body, r.text);
    r.encoding = kind == EncodingKind::Utf8 ? name : std::u16string(u"UTF-8");
    if (kind != EncodingKind::Utf8) {
      if (replaced == 0 || Utf8Text::IsWellFormed(body))
        r.entries[readEntry].attributes[0].second = u"UTF-8";
      addEntry(r, u"utf8_detection");
    }
  }
  addEntry(r, u"converted_to", {{u"encoding", u"UTF-16"}, {u"length", number(r.text.size())}});
  return r;
}

DecodedXmlFile XmlFileDecoder::Decode(const std::string& path) {
  int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return fileError(errno);
  struct stat st {};
  if (::fstat(fd, &st) != 0) {
    int err = errno;
    ::close(fd);
    return fileError(err);
  }
  if (st.st_size > 0 && static_cast<uint64_t>(st.st_size) > kMaxFileBytes) {
    ::close(fd);
    return fileError(EFBIG, "file too large");
  }
  // Read to the end rather than trusting the size, which is 0 for some
  // special files and may change under us. The buffer is left uninitialised:
  // zero-filling a large file's worth of memory only to overwrite it costs
  // as much as the read.
  size_t capacity = st.st_size > 0 ? static_cast<size_t>(st.st_size) : 0;
  std::unique_ptr<char[]> bytes(new char[capacity + 1]);
  MemoryAdvice::PreferHugePages(bytes.get(), capacity);
  size_t have = 0;
  char more[64 * 1024];
  for (;;) {
    const bool inPlace = have < capacity;
    char* dst = inPlace ? bytes.get() + have : more;
    const size_t room = inPlace ? capacity - have : sizeof more;
    ssize_t n = ::read(fd, dst, room);
    if (n < 0) {
      if (errno == EINTR) continue;
      int err = errno;
      ::close(fd);
      return fileError(err);
    }
    if (n == 0) break;
    if (!inPlace) {
      const size_t got = static_cast<size_t>(n);
      if (have + got > kMaxFileBytes) {
        ::close(fd);
        return fileError(EFBIG, "file too large");
      }
      const size_t grown = std::max(have + got, capacity * 2);
      std::unique_ptr<char[]> bigger(new char[grown + 1]);
      std::memcpy(bigger.get(), bytes.get(), have);
      std::memcpy(bigger.get() + have, more, got);
      bytes = std::move(bigger);
      capacity = grown;
    }
    have += static_cast<size_t>(n);
  }
  ::close(fd);
  return DecodeBytes(std::string_view(bytes.get(), have));
}

}  // namespace tembra
