#include "xmltv/Utf8Transcoder.h"

#include <iconv.h>

#include <cerrno>
#include <cstring>

namespace tembra {

namespace {

iconv_t handle(void* cd) { return static_cast<iconv_t>(cd); }
const iconv_t kNone = reinterpret_cast<iconv_t>(-1);
constexpr char kReplacement[] = "\xEF\xBF\xBD";
// A character of any encoding iconv knows is shorter than this.
constexpr size_t kMaxCarry = 16;

}  // namespace

Utf8Transcoder::Utf8Transcoder(const char* iconvName) : cd_(iconv_open("UTF-8", iconvName)) {
  if (ok()) singleByte_ = buildSingleByteTable();
}

Utf8Transcoder::~Utf8Transcoder() {
  if (ok()) iconv_close(handle(cd_));
}

bool Utf8Transcoder::ok() const { return handle(cd_) != kNone; }

// Most code pages map each byte to one character by itself: a table built
// by asking iconv once per byte converts many times faster than iconv. An
// encoding where some byte starts a longer sequence or shifts state is
// left to iconv.
bool Utf8Transcoder::buildSingleByteTable() {
  for (unsigned b = 0; b < 256; ++b) {
    iconv(handle(cd_), nullptr, nullptr, nullptr, nullptr);
    char in = static_cast<char>(b);
    char* inPtr = &in;
    size_t inLeft = 1;
    char out[8];
    char* outPtr = out;
    size_t outLeft = sizeof out;
    const size_t rc = iconv(handle(cd_), &inPtr, &inLeft, &outPtr, &outLeft);
    const size_t n = sizeof out - outLeft;
    auto& entry = table_[b];
    if (rc == static_cast<size_t>(-1)) {
      if (errno != EILSEQ) return false;
      std::memcpy(entry.data(), kReplacement, 3);
      entry[3] = 3;
      continue;
    }
    if (n == 0 || n > 3 || inLeft != 0) return false;
    std::memcpy(entry.data(), out, n);
    entry[3] = static_cast<char>(n);
  }
  iconv(handle(cd_), nullptr, nullptr, nullptr, nullptr);
  return true;
}

void Utf8Transcoder::convert(std::string_view piece, std::string& out) {
  out.clear();
  if (!ok()) return;
  if (singleByte_) {
    out.resize(piece.size() * 3);
    char* p = out.data();
    for (unsigned char b : piece) {
      const auto& e = table_[b];
      std::memcpy(p, e.data(), 4);  // the fourth byte is overwritten next
      p += static_cast<unsigned char>(e[3]);
    }
    out.resize(static_cast<size_t>(p - out.data()));
    return;
  }
  std::string input;
  std::string_view in = piece;
  if (!carry_.empty()) {
    input = carry_ + std::string(piece);
    carry_.clear();
    in = input;
  }
  char* src = const_cast<char*>(in.data());
  size_t srcLeft = in.size();
  out.resize(in.size() * 4 + 16);
  size_t used = 0;
  while (srcLeft > 0) {
    char* dst = out.data() + used;
    size_t dstLeft = out.size() - used;
    const size_t before = dstLeft;
    const size_t rc = iconv(handle(cd_), &src, &srcLeft, &dst, &dstLeft);
    used += before - dstLeft;
    if (rc != static_cast<size_t>(-1)) break;
    if (errno == E2BIG) {
      out.resize(out.size() * 2);
    } else if (errno == EINVAL) {
      // A character cut at the end: its start waits for the next piece.
      if (srcLeft < kMaxCarry) {
        carry_.assign(src, srcLeft);
        break;
      }
      out.resize(used + 3);
      std::memcpy(out.data() + used, kReplacement, 3);
      used += 3;
      ++src;
      --srcLeft;
    } else {
      // EILSEQ: a byte the encoding cannot read.
      if (out.size() - used < 3) out.resize(used + 16);
      std::memcpy(out.data() + used, kReplacement, 3);
      used += 3;
      ++src;
      --srcLeft;
    }
  }
  out.resize(used);
}

void Utf8Transcoder::finish(std::string& out) {
  out.clear();
  if (!carry_.empty()) out.assign(kReplacement, 3);
  carry_.clear();
}

}  // namespace tembra
