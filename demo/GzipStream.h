#pragma once
#include <zlib.h>

#include <string>
#include <string_view>

namespace tembra {

// A gzip member written in pieces (zlib's deflate with the gzip wrapper),
// so that a large reply is compressed as it is produced.
class GzipStream {
 public:
  GzipStream();
  ~GzipStream();
  GzipStream(const GzipStream&) = delete;
  GzipStream& operator=(const GzipStream&) = delete;

  // Appends what compressing `in` yields to out (possibly nothing yet).
  void Write(std::string_view in, std::string& out);
  // Appends everything held back, so that out decodes as far as the input
  // went, but writes no end: the member stays unfinished, as a transfer
  // that broke off leaves it.
  void Flush(std::string& out);
  // Appends the last block and the trailer (CRC and length).
  void Finish(std::string& out);

 private:
  void run(std::string_view in, int flush, std::string& out);

  z_stream z_{};
  bool ready_ = false;
  bool finished_ = false;
};

}  // namespace tembra
