#include "playlist/CatchupAddress.h"

#include <cmath>
#include <ctime>
#include <vector>

namespace tembra {

namespace {

std::string lowerTrimmed(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
  std::string out(text);
  for (char& c : out)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return out;
}

bool allDigits(std::string_view text) {
  if (text.empty()) return false;
  for (char c : text)
    if (c < '0' || c > '9') return false;
  return true;
}

// A positive divisor of at most nine digits; nothing for anything else, so
// that "{duration:0}" is left alone instead of dividing by zero.
std::optional<int64_t> divisor(std::string_view text) {
  if (!allDigits(text) || text.size() > 9) return std::nullopt;
  int64_t value = 0;
  for (char c : text) value = value * 10 + (c - '0');
  if (value == 0) return std::nullopt;
  return value;
}

std::string padded(int value, int width) {
  std::string digits = std::to_string(value);
  if (static_cast<int>(digits.size()) < width) digits.insert(0, static_cast<size_t>(width) - digits.size(), '0');
  return digits;
}

// The value of one specifier (its text between the braces, with the '$'
// of the ${...} forms), or nothing when it is not one.
std::optional<std::string> value(std::string_view name, bool dollar, const CatchupAddress::Times& t,
                                 const std::tm& fields) {
  const int64_t duration = t.stop - t.start;
  if (dollar) {
    if (name == "start") return std::to_string(t.start);
    if (name == "end") return std::to_string(t.stop);
    if (name == "now" || name == "timestamp") return std::to_string(t.now);
    if (name == "duration") return std::to_string(duration);
    return std::nullopt;
  }
  if (name == "utc") return std::to_string(t.start);
  if (name == "utcend") return std::to_string(t.stop);
  if (name == "lutc") return std::to_string(t.now);
  if (name == "duration") return std::to_string(duration);
  if (name == "Y") return padded(fields.tm_year + 1900, 4);
  if (name == "m") return padded(fields.tm_mon + 1, 2);
  if (name == "d") return padded(fields.tm_mday, 2);
  if (name == "H") return padded(fields.tm_hour, 2);
  if (name == "M") return padded(fields.tm_min, 2);
  if (name == "S") return padded(fields.tm_sec, 2);
  const size_t colon = name.find(':');
  if (colon == std::string_view::npos) return std::nullopt;
  const std::optional<int64_t> by = divisor(name.substr(colon + 1));
  if (!by) return std::nullopt;
  const std::string_view what = name.substr(0, colon);
  if (what == "duration") return std::to_string(duration / *by);
  if (what == "offset") return std::to_string((t.now - t.start) / *by);
  return std::nullopt;
}

struct Url {
  std::string_view head;   // scheme and authority: "http://host:80"
  std::string_view path;   // from the first '/' after the authority up to '?' or '#'
  std::string_view tail;   // the query and fragment, as they were
};

std::optional<Url> split(std::string_view url) {
  const size_t scheme = url.find("://");
  if (scheme == std::string_view::npos || scheme == 0) return std::nullopt;
  const size_t pathAt = url.find_first_of("/?#", scheme + 3);
  if (pathAt == std::string_view::npos || url[pathAt] != '/') return std::nullopt;
  const size_t tailAt = std::min(url.find_first_of("?#", pathAt), url.size());
  return Url{url.substr(0, pathAt), url.substr(pathAt, tailAt - pathAt), url.substr(tailAt)};
}

std::vector<std::string_view> segments(std::string_view path) {
  std::vector<std::string_view> out;
  while (!path.empty()) {
    path.remove_prefix(1);  // the '/'
    const size_t slash = path.find('/');
    out.push_back(path.substr(0, slash));
    if (slash == std::string_view::npos) break;
    path.remove_prefix(slash);
  }
  return out;
}

}  // namespace

std::string CatchupAddress::fill(std::string_view pattern, const Times& times) {
  std::tm fields{};
  const std::time_t start = static_cast<std::time_t>(times.start);
  gmtime_r(&start, &fields);
  std::string out;
  out.reserve(pattern.size() + 32);
  size_t i = 0;
  while (i < pattern.size()) {
    const bool dollar = pattern[i] == '$' && i + 1 < pattern.size() && pattern[i + 1] == '{';
    if (pattern[i] != '{' && !dollar) {
      out += pattern[i++];
      continue;
    }
    const size_t open = dollar ? i + 1 : i;
    const size_t close = pattern.find('}', open);
    std::optional<std::string> filled;
    if (close != std::string_view::npos) filled = value(pattern.substr(open + 1, close - open - 1), dollar, times, fields);
    if (!filled) {
      out += pattern[i++];
      continue;
    }
    out += *filled;
    i = close + 1;
  }
  return out;
}

std::string CatchupAddress::Parts::filled(const Times& times) const { return prefix + fill(pattern, times) + suffix; }

CatchupAddress::Parts CatchupAddress::shift(std::string_view url) {
  return {std::string(url), std::string(url.find('?') == std::string_view::npos ? "?" : "&") + "utc={utc}&lutc={lutc}",
          {}};
}

// .../CHANNEL/mpegts -> .../CHANNEL/timeshift_abs-{utc}.ts and
// .../CHANNEL/FILE.m3u8 -> .../CHANNEL/FILE-{utc}-{duration}.m3u8; the
// query (a token, say) stays.
std::optional<CatchupAddress::Parts> CatchupAddress::flussonic(std::string_view url) {
  const std::optional<Url> parts = split(url);
  if (!parts) return std::nullopt;
  const std::vector<std::string_view> names = segments(parts->path);
  if (names.size() < 2 || names[names.size() - 2].empty()) return std::nullopt;
  const std::string_view last = names.back();
  const std::string_view folder = parts->path.substr(0, parts->path.size() - last.size());
  std::string replaced;
  if (last == "mpegts") {
    replaced = "timeshift_abs-{utc}.ts";
  } else if (last.size() > 5 && last.ends_with(".m3u8")) {
    replaced = std::string(last.substr(0, last.size() - 5)) + "-{utc}-{duration}.m3u8";
  } else {
    return std::nullopt;
  }
  return Parts{std::string(parts->head) + std::string(folder), std::move(replaced), std::string(parts->tail)};
}

// SERVER/live/U/P/ID.ts or SERVER/U/P/ID ->
// SERVER/timeshift/U/P/{duration:60}/{Y}-{m}-{d}:{H}-{M}/ID.ts (.m3u8 kept).
std::optional<CatchupAddress::Parts> CatchupAddress::xc(std::string_view url) {
  const std::optional<Url> parts = split(url);
  if (!parts) return std::nullopt;
  const std::vector<std::string_view> names = segments(parts->path);
  if (names.size() < 3) return std::nullopt;
  const std::string_view file = names.back();
  const size_t dot = file.rfind('.');
  const std::string_view id = file.substr(0, dot);
  const std::string_view extension = dot == std::string_view::npos ? std::string_view() : file.substr(dot + 1);
  if (!allDigits(id)) return std::nullopt;
  const std::string_view user = names[names.size() - 3];
  const std::string_view password = names[names.size() - 2];
  if (user.empty() || password.empty()) return std::nullopt;
  size_t kept = names.size() - 3;  // segments of the server's own path
  if (kept > 0 && names[kept - 1] == "live") --kept;
  std::string out(parts->head);
  for (size_t i = 0; i < kept; ++i) {
    out += '/';
    out += names[i];
  }
  out += "/timeshift/" + std::string(user) + "/" + std::string(password) + "/";
  return Parts{std::move(out), "{duration:60}/{Y}-{m}-{d}:{H}-{M}/",
               std::string(id) + (extension == "m3u8" ? ".m3u8" : ".ts")};
}

bool CatchupAddress::offered(const PlaylistChannel& channel) {
  const std::string mode = lowerTrimmed(channel.catchup);
  if (mode.empty()) return channel.catchupDays.value_or(0) > 0;  // the old timeshift attribute
  return mode == "default" || mode == "append" || mode == "shift" || mode == "timeshift" || mode == "flussonic" ||
         mode == "fs" || mode == "xc";
}

std::optional<std::string> CatchupAddress::build(const PlaylistChannel& channel, Times times) {
  if (!offered(channel) || channel.url.empty()) return std::nullopt;
  if (channel.catchupCorrection) {
    const auto seconds = static_cast<int64_t>(std::llround(*channel.catchupCorrection * 3600));
    times.start += seconds;
    times.stop += seconds;
  }
  const std::string mode = lowerTrimmed(channel.catchup);
  const std::string& source = channel.catchupSource;
  // Only the mode's own template is filled: braces in the channel's
  // address are part of the address.
  std::optional<Parts> parts;
  if (mode == "default" && !source.empty()) return fill(source, times);
  if (mode == "append" && !source.empty()) return channel.url + fill(source, times);
  if (mode == "flussonic" || mode == "fs") {
    parts = flussonic(channel.url);
  } else if (mode == "xc") {
    parts = xc(channel.url);
    if (!parts && !source.empty()) return fill(source, times);
  } else {
    parts = shift(channel.url);
  }
  if (!parts) return std::nullopt;
  return parts->filled(times);
}

}  // namespace tembra
