#pragma once
// Data packed with zlib's deflate for tests that feed packed input: gzip
// members (files and HTTP bodies) and raw deflate streams (zip members).
#include <zlib.h>

#include <string>
#include <string_view>

namespace tembra::test {

// windowBits as deflateInit2 takes it: 16 + MAX_WBITS for gzip, -MAX_WBITS
// for a raw stream.
inline std::string deflated(std::string_view data, int windowBits, int level = 6) {
  z_stream z{};
  deflateInit2(&z, level, Z_DEFLATED, windowBits, 8, Z_DEFAULT_STRATEGY);
  // deflateBound leaves out the gzip header and trailer.
  std::string out(deflateBound(&z, static_cast<uLong>(data.size())) + 64, '\0');
  z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data()));
  z.avail_in = static_cast<uInt>(data.size());
  z.next_out = reinterpret_cast<Bytef*>(out.data());
  z.avail_out = static_cast<uInt>(out.size());
  deflate(&z, Z_FINISH);
  out.resize(z.total_out);
  deflateEnd(&z);
  return out;
}

// One gzip member.
inline std::string gzipped(std::string_view data, int level = 6) { return deflated(data, 16 + MAX_WBITS, level); }
// A raw deflate stream, as a zip member's data.
inline std::string rawDeflate(std::string_view data, int level = 6) { return deflated(data, -MAX_WBITS, level); }

}  // namespace tembra::test
