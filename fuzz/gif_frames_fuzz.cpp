// An arbitrary file walked as a GIF (no Qt): the walk yields exactly the
// frames count() promised, each a GIF of its own that the walk accepts, and
// rewinding repeats it.
#include <cstddef>
#include <cstdint>
#include <span>

#include "FuzzSupport.h"
#include "splash/GifFrames.h"

using tembra::GifFrames;
using tembra::fuzz::Check;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::span<const uint8_t> bytes(data, size);
  (void)GifFrames::isGif(bytes);
  GifFrames frames(bytes);
  if (!frames.valid()) {
    Check(!frames.next().has_value());
    return 0;
  }
  const size_t count = frames.count();
  size_t seen = 0;
  while (auto frame = frames.next()) {
    ++seen;
    Check(seen <= count);
    Check(!frame->gif.empty());
    (void)GifFrames::frameWait(frame->delay);
    if (seen <= 4) {
      GifFrames alone(frame->gif);
      Check(alone.valid());
      Check(alone.count() == 1);
    }
  }
  Check(seen == count);
  frames.rewind();
  Check(frames.count() == count);
  return 0;
}
