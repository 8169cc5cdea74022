#include "ArchiveStream.h"

#include <algorithm>
#include <chrono>
#include <charconv>

namespace tembra {

namespace {

std::optional<int64_t> param(const httplib::Request& req, const char* name) {
  if (!req.has_param(name)) return std::nullopt;
  const std::string text = req.get_param_value(name);
  int64_t value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size() || value <= 0) return std::nullopt;
  return value;
}

}  // namespace

std::optional<int64_t> ArchiveStream::SecondsFromQuery(const httplib::Request& req) {
  const std::optional<int64_t> utc = param(req, "utc");
  if (!utc) return std::nullopt;
  int64_t seconds = kDefaultSeconds;
  if (const auto end = param(req, "end"); end && *end > *utc) seconds = *end - *utc;
  else if (const auto now = param(req, "lutc"); now && *now > *utc) seconds = *now - *utc;
  return std::clamp(seconds, kMinSeconds, kMaxSeconds);
}

int64_t ArchiveStream::SecondsSince(int64_t utc, int64_t now) {
  return std::clamp(now > utc ? now - utc : kDefaultSeconds, kMinSeconds, kMaxSeconds);
}

uint64_t ArchiveStream::Loops(int64_t seconds, uint32_t segmentSeconds) {
  const uint64_t s = std::max<uint32_t>(1, segmentSeconds);
  return (static_cast<uint64_t>(std::max<int64_t>(1, seconds)) + s - 1) / s;
}

void ArchiveStream::Serve(std::shared_ptr<const TsLooper> looper, uint32_t segmentSeconds, int64_t seconds,
                          ShutdownFlag* shutdown, httplib::Response& res) {
  const size_t block = looper->size();
  const uint64_t loops = Loops(seconds, segmentSeconds);
  const size_t total = static_cast<size_t>(loops * block);
  struct Cursor {
    uint64_t loop = UINT64_MAX;
    std::string data;
    uint64_t sent = 0;
    std::chrono::steady_clock::time_point start = std::chrono::steady_clock::now();
  };
  auto cursor = std::make_shared<Cursor>();
  const double bytesPerSecond = static_cast<double>(block) / std::max<uint32_t>(1, segmentSeconds) * kPace;
  const double burst = 6 * bytesPerSecond;
  res.set_header("Accept-Ranges", "bytes");
  res.set_content_provider(
      total, "video/mp2t",
      [looper, cursor, block, bytesPerSecond, burst, shutdown](size_t offset, size_t length, httplib::DataSink& sink) {
        if (shutdown->triggered()) return false;
        const double elapsed = std::chrono::duration<double>(std::chrono::steady_clock::now() - cursor->start).count();
        if (static_cast<double>(cursor->sent) > burst + elapsed * bytesPerSecond) {
          shutdown->WaitFor(std::chrono::milliseconds(40));
          return true;
        }
        const uint64_t loop = offset / block;
        if (loop != cursor->loop) {
          cursor->data = looper->Loop(loop);
          cursor->loop = loop;
        }
        const size_t at = offset % block;
        const size_t n = std::min({length, block - at, TsLooper::kPacket * 64});
        if (!sink.write(cursor->data.data() + at, n)) return false;
        cursor->sent += n;
        return true;
      });
}

}  // namespace tembra
