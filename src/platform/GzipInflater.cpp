#include "platform/GzipInflater.h"

#include <zlib.h>

#include <algorithm>

namespace tembra {

namespace {

constexpr size_t kOutBytes = 128 * 1024;

}  // namespace

struct GzipInflater::State {
  z_stream s{};
  bool ready = false;
};

GzipInflater::GzipInflater(Sink sink)
    : z_(std::make_unique<State>()), sink_(std::move(sink)), out_(std::make_unique_for_overwrite<char[]>(kOutBytes)) {
  z_->ready = inflateInit2(&z_->s, 16 + MAX_WBITS) == Z_OK;
  if (!z_->ready) {
    failed_ = true;
    error_ = "the gzip decoder could not start";
  }
}

GzipInflater::~GzipInflater() {
  if (z_->ready) inflateEnd(&z_->s);
}

// Runs inflate over the pending input, and on until the output held inside
// the decoder is out too; ended is set when a member ends.
bool GzipInflater::drain(bool& ended) {
  ended = false;
  z_stream& s = z_->s;
  while (!ended) {
    s.next_out = reinterpret_cast<Bytef*>(out_.get());
    s.avail_out = kOutBytes;
    const int rc = inflate(&s, Z_NO_FLUSH);
    const size_t produced = kOutBytes - s.avail_out;
    if (produced > 0 && !sink_(std::string_view(out_.get(), produced))) {
      failed_ = true;
      return false;
    }
    if (rc == Z_STREAM_END) {
      ended = true;
    } else if (rc != Z_OK && rc != Z_BUF_ERROR) {
      failed_ = true;
      error_ = std::string("the gzip data is damaged") + (s.msg ? std::string(": ") + s.msg : std::string());
      return false;
    } else if (produced == 0 && (rc == Z_BUF_ERROR || s.avail_in == 0)) {
      break;  // needs more input
    }
  }
  return true;
}

bool GzipInflater::feed(std::string_view piece) {
  if (failed_) return false;
  while (!piece.empty()) {
    if (trailing_) return true;
    if (afterEnd_) {
      // A further member must start with the magic too; anything else is
      // trailing bytes.
      const size_t n = std::min(2 - held_.size(), piece.size());
      held_.append(piece.substr(0, n));
      piece.remove_prefix(n);
      if (held_.size() < 2) return true;
      if (!isGzipMagic(held_)) {
        trailing_ = true;
        return true;
      }
      inflateReset(&z_->s);
      afterEnd_ = false;
      inMember_ = true;
      z_->s.next_in = reinterpret_cast<Bytef*>(held_.data());
      z_->s.avail_in = static_cast<uInt>(held_.size());
      bool ended = false;
      const bool ok = drain(ended);
      held_.clear();
      z_->s.avail_in = 0;
      if (!ok) return false;
      continue;
    }
    const size_t take = std::min(piece.size(), size_t{1} << 30);
    z_->s.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(piece.data()));
    z_->s.avail_in = static_cast<uInt>(take);
    inMember_ = true;
    bool ended = false;
    if (!drain(ended)) return false;
    const size_t used = take - z_->s.avail_in;
    piece.remove_prefix(used);
    z_->s.avail_in = 0;
    if (ended) {
      inMember_ = false;
      afterEnd_ = true;
    } else if (used == 0) {
      break;
    }
  }
  return true;
}

void GzipInflater::finish() {
  if (failed_) return;
  if (inMember_) cutOff_ = true;
}

}  // namespace tembra
