#pragma once
#include <functional>
#include <memory>
#include <string>

#include "GzipStream.h"

namespace tembra {

// A reply body made piece by piece by a writer (playlist, guide), passed on
// as it is or through gzip. A stream that breaks off leaves its gzip member
// unfinished: what came decodes, but no end follows.
class PieceStream {
 public:
  // Appends the next piece to out; false once there is no more.
  using Source = std::function<bool(std::string& out)>;
  enum class Packing { Plain, Gzip, GzipBrokenOff };

  PieceStream(Source source, Packing packing);

  // Appends the next bytes to out (possibly none, while gzip holds them
  // back); false once everything was given.
  bool Next(std::string& out);

 private:
  Source source_;
  Packing packing_;
  std::unique_ptr<GzipStream> gzip_;
  bool done_ = false;
};

}  // namespace tembra
