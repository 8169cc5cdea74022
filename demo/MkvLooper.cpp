#include "MkvLooper.h"

#include <optional>

namespace tembra {

namespace {

constexpr uint32_t kEbml = 0x1A45DFA3;
constexpr uint32_t kSegment = 0x18538067;
constexpr uint32_t kInfo = 0x1549A966;
constexpr uint32_t kTracks = 0x1654AE6B;
constexpr uint32_t kCluster = 0x1F43B675;
constexpr uint32_t kTimestamp = 0xE7;
constexpr uint32_t kDuration = 0x4489;
constexpr uint32_t kTimestampScale = 0x2AD7B1;
constexpr uint64_t kUnknownSize = ~0ull;

struct Element {
  uint32_t id = 0;
  size_t start = 0;    // of the id
  size_t data = 0;     // of the content
  uint64_t size = 0;   // kUnknownSize for "until the end"
  size_t end = 0;      // past the content
};

// An EBML variable-length number at pos; the id keeps its marker bit, a
// size loses it. Nothing when it runs past the end or is malformed.
std::optional<uint64_t> readVint(const std::string& s, size_t& pos, bool keepMarker) {
  if (pos >= s.size()) return std::nullopt;
  const auto first = static_cast<unsigned char>(s[pos]);
  int length = 1;
  while (length <= 8 && !(first & (0x80 >> (length - 1)))) ++length;
  if (length > 8 || pos + length > s.size()) return std::nullopt;
  uint64_t value = keepMarker ? first : (first & (0xFF >> length));
  bool allOnes = value == static_cast<uint64_t>(0xFF >> length);
  for (int i = 1; i < length; ++i) {
    const auto b = static_cast<unsigned char>(s[pos + i]);
    allOnes = allOnes && b == 0xFF;
    value = (value << 8) | b;
  }
  pos += length;
  if (!keepMarker && allOnes) return kUnknownSize;
  return value;
}

std::optional<Element> readElement(const std::string& s, size_t pos, size_t limit) {
  Element e;
  e.start = pos;
  const auto id = readVint(s, pos, true);
  if (!id || *id > 0xFFFFFFFF) return std::nullopt;
  const auto size = readVint(s, pos, false);
  if (!size) return std::nullopt;
  e.id = static_cast<uint32_t>(*id);
  e.data = pos;
  e.size = *size;
  if (e.size == kUnknownSize) {
    e.end = limit;
  } else {
    if (e.size > limit - pos) return std::nullopt;
    e.end = pos + e.size;
  }
  return e;
}

uint64_t readUint(const std::string& s, const Element& e) {
  uint64_t v = 0;
  for (size_t i = e.data; i < e.end && i < e.data + 8; ++i) v = (v << 8) | static_cast<unsigned char>(s[i]);
  return v;
}

void putId(std::string& out, uint32_t id) {
  int bytes = id > 0xFFFFFF ? 4 : id > 0xFFFF ? 3 : id > 0xFF ? 2 : 1;
  for (int i = bytes - 1; i >= 0; --i) out.push_back(static_cast<char>((id >> (8 * i)) & 0xFF));
}

// Sizes always as eight bytes: simple, and valid for any content.
void putSize(std::string& out, uint64_t size) {
  out.push_back(0x01);
  for (int i = 6; i >= 0; --i) out.push_back(static_cast<char>((size >> (8 * i)) & 0xFF));
}

void putElement(std::string& out, uint32_t id, const std::string& content) {
  putId(out, id);
  putSize(out, content.size());
  out += content;
}

}  // namespace

MkvLooper::MkvLooper(const std::string& file, uint32_t seconds) {
  valid_ = seconds > 0 && parse(file);
  if (!valid_) return;
  period_ = static_cast<uint64_t>(seconds) * 1000000000ull / timestampScale_;
  for (const Cluster& c : clusters_) loopBytes_ += c.rest.size() + 24;
}

bool MkvLooper::parse(const std::string& file) {
  auto ebml = readElement(file, 0, file.size());
  if (!ebml || ebml->id != kEbml) return false;
  head_ = file.substr(0, ebml->end);
  auto segment = readElement(file, ebml->end, file.size());
  if (!segment || segment->id != kSegment) return false;
  putId(head_, kSegment);
  // Unknown size: the stream has no end.
  head_ += std::string("\x01\xFF\xFF\xFF\xFF\xFF\xFF\xFF", 8);
  std::string tracks;
  for (size_t pos = segment->data; pos < segment->end;) {
    auto child = readElement(file, pos, segment->end);
    if (!child || child->size == kUnknownSize) return false;
    pos = child->end;
    if (child->id == kInfo) {
      std::string info;
      for (size_t at = child->data; at < child->end;) {
        auto field = readElement(file, at, child->end);
        if (!field || field->size == kUnknownSize) return false;
        at = field->end;
        if (field->id == kTimestampScale) timestampScale_ = readUint(file, *field);
        if (field->id != kDuration) info.append(file, field->start, field->end - field->start);
      }
      putElement(head_, kInfo, info);
    } else if (child->id == kTracks) {
      tracks.assign(file, child->start, child->end - child->start);
    } else if (child->id == kCluster) {
      Cluster cluster;
      bool timed = false;
      for (size_t at = child->data; at < child->end;) {
        auto field = readElement(file, at, child->end);
        if (!field || field->size == kUnknownSize) return false;
        at = field->end;
        if (field->id == kTimestamp) {
          cluster.timestamp = readUint(file, *field);
          timed = true;
        } else if (field->id != 0xA7 && field->id != 0xAB) {  // position, previous size: stale once moved
          cluster.rest.append(file, field->start, field->end - field->start);
        }
      }
      if (!timed) return false;
      clusters_.push_back(std::move(cluster));
    }
  }
  if (tracks.empty() || clusters_.empty() || timestampScale_ == 0) return false;
  head_ += tracks;
  return true;
}

std::string MkvLooper::Loop(uint64_t n) const {
  std::string out;
  out.reserve(loopBytes_);
  for (const Cluster& c : clusters_) {
    std::string content;
    putId(content, kTimestamp);
    content.push_back(static_cast<char>(0x88));  // eight bytes follow
    const uint64_t t = c.timestamp + n * period_;
    for (int i = 7; i >= 0; --i) content.push_back(static_cast<char>((t >> (8 * i)) & 0xFF));
    content += c.rest;
    putElement(out, kCluster, content);
  }
  return out;
}

}  // namespace tembra
