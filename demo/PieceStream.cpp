#include "PieceStream.h"

namespace tembra {

PieceStream::PieceStream(Source source, Packing packing) : source_(std::move(source)), packing_(packing) {
  if (packing_ != Packing::Plain) gzip_ = std::make_unique<GzipStream>();
}

bool PieceStream::Next(std::string& out) {
  if (done_) return false;
  std::string piece;
  const bool more = source_(piece);
  if (!gzip_) {
    out += piece;
  } else {
    gzip_->Write(piece, out);
    if (!more) {
      if (packing_ == Packing::GzipBrokenOff)
        gzip_->Flush(out);
      else
        gzip_->Finish(out);
    }
  }
  if (!more) done_ = true;
  return true;
}

}  // namespace tembra
