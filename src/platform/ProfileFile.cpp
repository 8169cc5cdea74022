#include "platform/ProfileFile.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <fcntl.h>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/AtomicFile.h"

#include "platform/UniqueFd.h"
#include "platform/Utf.h"

namespace tembra {

namespace {

constexpr std::string_view kBom = "\xEF\xBB\xBF";

bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f'; }

std::string_view trim(std::string_view s) {
  while (!s.empty() && isBlank(s.front())) s.remove_prefix(1);
  while (!s.empty() && isBlank(s.back())) s.remove_suffix(1);
  return s;
}

char lowerAscii(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool sameName(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (lowerAscii(a[i]) != lowerAscii(b[i])) return false;
  return true;
}

// One line of the file. Offsets are into the whole file content; end
// excludes the line break, next is where the following line starts.
struct Line {
  enum Kind { Other, Section, Entry };
  Kind kind = Other;
  size_t begin = 0;
  size_t end = 0;
  size_t next = 0;
  std::string_view name;    // section or key name, trimmed
  size_t valueBegin = 0;    // entry value, trimmed, quotes included
  size_t valueEnd = 0;
};

// Walks the lines of a file's content (after any byte-order mark).
class LineReader {
 public:
  explicit LineReader(std::string_view content)
      : content_(content), pos_(content.substr(0, kBom.size()) == kBom ? kBom.size() : 0) {}

  bool next(Line& line) {
    if (pos_ >= content_.size()) return false;
    line = Line{};
    line.begin = pos_;
    size_t nl = content_.find('\n', pos_);
    line.next = nl == std::string_view::npos ? content_.size() : nl + 1;
    line.end = nl == std::string_view::npos ? content_.size() : nl;
    if (line.end > line.begin && content_[line.end - 1] == '\r') --line.end;
    pos_ = line.next;
    classify(line);
    return true;
  }

 private:
  void classify(Line& line) const {
    std::string_view text = content_.substr(line.begin, line.end - line.begin);
    std::string_view body = trim(text);
    if (body.empty() || body.front() == ';') return;
    if (body.front() == '[') {
      size_t close = body.rfind(']');
      if (close == std::string_view::npos) return;
      line.kind = Line::Section;
      line.name = trim(body.substr(1, close - 1));
      return;
    }
    size_t eq = text.find('=');
    if (eq == std::string_view::npos) return;
    line.kind = Line::Entry;
    line.name = trim(text.substr(0, eq));
    size_t vb = line.begin + eq + 1;
    size_t ve = line.end;
    while (vb < ve && isBlank(content_[vb])) ++vb;
    while (ve > vb && isBlank(content_[ve - 1])) --ve;
    line.valueBegin = vb;
    line.valueEnd = ve;
  }

  std::string_view content_;
  size_t pos_;
};

std::string_view unquote(std::string_view value) {
  if (value.size() >= 2 && value.front() == '"' && value.back() == '"') return value.substr(1, value.size() - 2);
  return value;
}

// Spaces at either end or surrounding quotes would be lost on reading, so
// such values are written in quotes, which reading removes again.
std::string quoteIfNeeded(const std::string& value) {
  if (value.empty()) return value;
  bool needs = isBlank(value.front()) || isBlank(value.back()) ||
               (value.size() >= 2 && value.front() == '"' && value.back() == '"');
  return needs ? '"' + value + '"' : value;
}

std::u16string cut(std::u16string text, size_t bufferChars) {
  if (bufferChars == 0) return {};
  if (text.size() > bufferChars - 1) {
    text.resize(bufferChars - 1);
    if (!text.empty() && text.back() >= 0xD800 && text.back() <= 0xDBFF) text.pop_back();
  }
  return text;
}

enum class ReadResult { Ok, Missing, Failed };

ReadResult readWholeFile(const std::string& path, std::string& out) {
  int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return errno == ENOENT || errno == ENOTDIR ? ReadResult::Missing : ReadResult::Failed;
  struct stat st {};
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || static_cast<size_t>(st.st_size) > ProfileFile::kMaxFileBytes) {
    ::close(fd);
    return ReadResult::Failed;
  }
  out.clear();
  char buf[65536];
  for (;;) {
    ssize_t n = ::read(fd, buf, sizeof buf);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0 || out.size() + static_cast<size_t>(n) > ProfileFile::kMaxFileBytes) {
      ::close(fd);
      return ReadResult::Failed;
    }
    if (n == 0) break;
    out.append(buf, static_cast<size_t>(n));
  }
  ::close(fd);
  return ReadResult::Ok;
}

bool storable(std::string_view s) { return s.find_first_of(std::string_view("\r\n\0", 3)) == std::string_view::npos; }

}  // namespace

std::u16string ProfileFile::ReadString(const std::string& path, std::u16string_view section,
                                       std::u16string_view key, std::u16string_view fallback,
                                       size_t bufferChars) {
  std::u16string result(fallback);
  std::string content;
  if (readWholeFile(path, content) != ReadResult::Ok) return cut(std::move(result), bufferChars);
  const std::string wantSection = toUtf8(section);
  const std::string wantKey = toUtf8(key);
  const std::string_view sectionName = trim(wantSection);
  const std::string_view keyName = trim(wantKey);

  LineReader reader(content);
  Line line;
  bool inSection = false;
  while (reader.next(line)) {
    if (line.kind == Line::Section) {
      inSection = sameName(line.name, sectionName);
    } else if (line.kind == Line::Entry && inSection && sameName(line.name, keyName)) {
      std::string_view value(content.data() + line.valueBegin, line.valueEnd - line.valueBegin);
      result = fromUtf8(unquote(value));
      break;
    }
  }
  return cut(std::move(result), bufferChars);
}

bool ProfileFile::WriteString(const std::string& path, std::u16string_view section, std::u16string_view key,
                              std::u16string_view value) {
  const std::string sectionUtf8 = toUtf8(section);
  const std::string keyUtf8 = toUtf8(key);
  const std::string valueUtf8 = toUtf8(value);
  const std::string_view sectionName = trim(sectionUtf8);
  const std::string_view keyName = trim(keyUtf8);
  if (sectionName.empty() || keyName.empty() || !storable(sectionUtf8) || !storable(keyUtf8) ||
      !storable(valueUtf8))
    return false;
  if (keyName.find('=') != std::string_view::npos || keyName.front() == '[' || keyName.front() == ';')
    return false;

  std::string content;
  ReadResult read = readWholeFile(path, content);
  if (read == ReadResult::Failed) return false;
  if (read == ReadResult::Missing) content.clear();

  size_t firstBreak = content.find('\n');
  const std::string eol = firstBreak != std::string::npos && firstBreak > 0 && content[firstBreak - 1] == '\r'
                              ? "\r\n"
                              : "\n";
  const std::string stored = quoteIfNeeded(valueUtf8);

  LineReader reader(content);
  Line line;
  bool inSection = false;
  bool sectionSeen = false;
  bool sectionClosed = false;
  size_t insertAt = 0;  // after the last non-blank line of the first matching section
  while (reader.next(line)) {
    if (line.kind == Line::Section) {
      inSection = sameName(line.name, sectionName);
      if (inSection && !sectionSeen) {
        sectionSeen = true;
        insertAt = line.next;
      } else if (sectionSeen) {
        sectionClosed = true;
      }
      continue;
    }
    if (!inSection) continue;
    if (line.kind == Line::Entry && sameName(line.name, keyName)) {
      std::string updated = content.substr(0, line.valueBegin) + stored + content.substr(line.valueEnd);
      return replaceFileAtomically(path, updated);
    }
    if (!sectionClosed && !trim(std::string_view(content).substr(line.begin, line.end - line.begin)).empty())
      insertAt = line.next;
  }

  const std::string entry = std::string(keyName) + "=" + stored + eol;
  std::string updated;
  if (sectionSeen) {
    updated = content.substr(0, insertAt);
    if (insertAt > 0 && content[insertAt - 1] != '\n') updated += eol;
    updated += entry;
    updated += content.substr(insertAt);
  } else {
    updated = content;
    if (!updated.empty() && updated.back() != '\n' && updated != kBom) updated += eol;
    updated += "[" + std::string(sectionName) + "]" + eol + entry;
  }
  return replaceFileAtomically(path, updated);
}

}  // namespace tembra
