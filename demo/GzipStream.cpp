#include "GzipStream.h"

namespace tembra {

namespace {
// The fastest level: the guide of a large line-up runs to gigabytes of
// XML, and the demo should not keep a client waiting on its compressor.
constexpr int kLevel = Z_BEST_SPEED;
constexpr int kGzipWindow = 15 + 16;  // 16: gzip header and trailer
}  // namespace

GzipStream::GzipStream() {
  ready_ = deflateInit2(&z_, kLevel, Z_DEFLATED, kGzipWindow, 8, Z_DEFAULT_STRATEGY) == Z_OK;
}

GzipStream::~GzipStream() {
  if (ready_) deflateEnd(&z_);
}

void GzipStream::Write(std::string_view in, std::string& out) { run(in, Z_NO_FLUSH, out); }

void GzipStream::Flush(std::string& out) { run({}, Z_SYNC_FLUSH, out); }

void GzipStream::Finish(std::string& out) {
  run({}, Z_FINISH, out);
  finished_ = true;
}

void GzipStream::run(std::string_view in, int flush, std::string& out) {
  if (!ready_ || finished_) return;
  z_.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(in.data()));
  z_.avail_in = static_cast<uInt>(in.size());
  char buf[16384];
  for (;;) {
    z_.next_out = reinterpret_cast<Bytef*>(buf);
    z_.avail_out = sizeof buf;
    int rc = deflate(&z_, flush);
    out.append(buf, sizeof buf - z_.avail_out);
    if (rc == Z_STREAM_END || rc == Z_STREAM_ERROR) break;
    // Done once deflate has taken all input and had room to spare (for a
    // flush or finish, room to spare means nothing is left to write).
    if (z_.avail_in == 0 && z_.avail_out != 0) break;
  }
}

}  // namespace tembra
