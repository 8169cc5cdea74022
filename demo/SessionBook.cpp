#include "SessionBook.h"

#include <chrono>
#include <cstdio>

#include "Rng.h"

namespace tembra {

namespace {

bool lowerHex(std::string_view text, uint64_t& value) {
  value = 0;
  for (char c : text) {
    int d;
    if (c >= '0' && c <= '9') d = c - '0';
    else if (c >= 'a' && c <= 'f') d = c - 'a' + 10;
    else return false;
    value = value * 16 + static_cast<uint64_t>(d);
  }
  return !text.empty();
}

std::string format(uint64_t body, uint64_t tag) {
  char buf[40];
  std::snprintf(buf, sizeof buf, "%08x-%04x-%04x-%04x-%012llx", static_cast<unsigned>(body >> 32),
                static_cast<unsigned>((body >> 16) & 0xFFFF), static_cast<unsigned>(body & 0xFFFF),
                static_cast<unsigned>(tag >> 48),
                static_cast<unsigned long long>(tag & 0xFFFFFFFFFFFFull));
  return buf;
}

}  // namespace

SessionBook::SessionBook(uint64_t seed)
    : seed_(seed),
      nonce_(Rng::mix(static_cast<uint64_t>(
          std::chrono::steady_clock::now().time_since_epoch().count()))) {}

bool SessionBook::IsValidAck(std::string_view ack) {
  if (ack.size() != 28 || ack.substr(8, 4) != "0001") return false;
  uint64_t r = 0, next = 0;
  return lowerHex(ack.substr(0, 8), r) && lowerHex(ack.substr(12, 16), next) && next == r + 1;
}

uint64_t SessionBook::tag(uint64_t body) const {
  return Rng::hash(std::string_view(reinterpret_cast<const char*>(&body), sizeof body),
                   seed_ ^ 0x5E55101Dull);
}

std::string SessionBook::Issue() {
  std::lock_guard g(lock_);
  uint64_t body = Rng::mix(nonce_ + ++counter_);
  std::string id = format(body, tag(body));
  issued_.insert(id);
  return id;
}

bool SessionBook::IsKnown(std::string_view id) const {
  {
    std::lock_guard g(lock_);
    if (issued_.count(std::string(id))) return true;
  }
  // 8-4-4-4-12
  if (id.size() != 36 || id[8] != '-' || id[13] != '-' || id[18] != '-' || id[23] != '-')
    return false;
  uint64_t a, b, c, d, e;
  if (!lowerHex(id.substr(0, 8), a) || !lowerHex(id.substr(9, 4), b) ||
      !lowerHex(id.substr(14, 4), c) || !lowerHex(id.substr(19, 4), d) ||
      !lowerHex(id.substr(24, 12), e))
    return false;
  uint64_t body = (a << 32) | (b << 16) | c;
  return format(body, tag(body)) == id;
}

}  // namespace tembra
