#include "TsLooper.h"

#include <map>

namespace tembra {

namespace {

constexpr uint64_t kClockMask = (1ull << 33) - 1;

uint64_t readTimestamp(const unsigned char* p) {
  return (static_cast<uint64_t>((p[0] >> 1) & 0x07) << 30) | (static_cast<uint64_t>(p[1]) << 22) |
         (static_cast<uint64_t>(p[2] >> 1) << 15) | (static_cast<uint64_t>(p[3]) << 7) | (p[4] >> 1);
}

void writeTimestamp(unsigned char* p, uint64_t t) {
  p[0] = static_cast<unsigned char>((p[0] & 0xF1) | ((t >> 29) & 0x0E));
  p[1] = static_cast<unsigned char>(t >> 22);
  p[2] = static_cast<unsigned char>(((t >> 14) & 0xFE) | 0x01);
  p[3] = static_cast<unsigned char>(t >> 7);
  p[4] = static_cast<unsigned char>(((t << 1) & 0xFE) | 0x01);
}

uint64_t readPcrBase(const unsigned char* p) {
  return (static_cast<uint64_t>(p[0]) << 25) | (static_cast<uint64_t>(p[1]) << 17) |
         (static_cast<uint64_t>(p[2]) << 9) | (static_cast<uint64_t>(p[3]) << 1) | (p[4] >> 7);
}

void writePcrBase(unsigned char* p, uint64_t base) {
  p[0] = static_cast<unsigned char>(base >> 25);
  p[1] = static_cast<unsigned char>(base >> 17);
  p[2] = static_cast<unsigned char>(base >> 9);
  p[3] = static_cast<unsigned char>(base >> 1);
  p[4] = static_cast<unsigned char>(((base & 1) << 7) | (p[4] & 0x7F));
}

bool hasPesHeader(unsigned char streamId) {
  switch (streamId) {
    case 0xBC: case 0xBE: case 0xBF: case 0xF0: case 0xF1: case 0xF2: case 0xF8: case 0xFF:
      return false;
    default:
      return true;
  }
}

}  // namespace

TsLooper::TsLooper(std::string segment, uint32_t seconds)
    : segment_(std::move(segment)), period_(static_cast<uint64_t>(seconds) * 90000) {
  const size_t count = segment_.size() / kPacket;
  if (count == 0 || segment_.size() % kPacket != 0) return;
  for (size_t i = 0; i < count; ++i)
    if (segment_[i * kPacket] != 0x47) return;

  std::map<uint16_t, uint32_t> payloadPackets;
  std::vector<std::pair<uint32_t, uint16_t>> counters;  // offset, pid
  const auto* data = reinterpret_cast<const unsigned char*>(segment_.data());
  for (size_t i = 0; i < count; ++i) {
    const unsigned char* pkt = data + i * kPacket;
    const uint32_t base = static_cast<uint32_t>(i * kPacket);
    const uint16_t pid = static_cast<uint16_t>(((pkt[1] & 0x1F) << 8) | pkt[2]);
    if (pid == 0x1FFF) continue;  // null packets carry no counter
    const unsigned control = (pkt[3] >> 4) & 0x03;
    size_t payload = 4;
    if (control & 0x02) {
      const size_t afLength = pkt[4];
      if (afLength > 183) return;
      if (afLength >= 7 && (pkt[5] & 0x10)) patches_.push_back({base + 6, Kind::Pcr, 0});
      payload = 5 + afLength;
    }
    if (!(control & 0x01)) continue;
    ++payloadPackets[pid];
    counters.emplace_back(base + 3, pid);
    const bool unitStart = pkt[1] & 0x40;
    if (unitStart && payload + 14 <= kPacket && pkt[payload] == 0 && pkt[payload + 1] == 0 &&
        pkt[payload + 2] == 1 && hasPesHeader(pkt[payload + 3])) {
      const unsigned flags = pkt[payload + 7] >> 6;
      if (flags & 0x02) patches_.push_back({base + static_cast<uint32_t>(payload + 9), Kind::Timestamp, 0});
      if (flags == 0x03 && payload + 19 <= kPacket)
        patches_.push_back({base + static_cast<uint32_t>(payload + 14), Kind::Timestamp, 0});
    }
  }
  for (auto [offset, pid] : counters)
    patches_.push_back({offset, Kind::Counter, static_cast<uint8_t>(payloadPackets[pid] & 0x0F)});
  restamp_ = true;
}

std::string TsLooper::Loop(uint64_t n) const {
  std::string out = segment_;
  if (!restamp_ || n == 0) return out;
  auto* data = reinterpret_cast<unsigned char*>(out.data());
  const uint64_t shift = (n * period_) & kClockMask;
  const unsigned counterLoops = static_cast<unsigned>(n & 0x0F);
  for (const Patch& patch : patches_) {
    unsigned char* p = data + patch.offset;
    switch (patch.kind) {
      case Kind::Pcr:
        writePcrBase(p, (readPcrBase(p) + shift) & kClockMask);
        break;
      case Kind::Timestamp:
        writeTimestamp(p, (readTimestamp(p) + shift) & kClockMask);
        break;
      case Kind::Counter:
        *p = static_cast<unsigned char>((*p & 0xF0) |
                                        ((*p + patch.counterStep * counterLoops) & 0x0F));
        break;
    }
  }
  return out;
}

}  // namespace tembra
