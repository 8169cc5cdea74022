#include "playlist/PlaylistParser.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>

#include "playlist/LocalPath.h"
#include "playlist/M3uAttributeScanner.h"
#include "playlist/M3uText.h"
#include "playlist/StreamOptions.h"
#include "playlist/UriReference.h"
#include "playlist/Utf8Repair.h"

namespace tembra {

namespace {

constexpr std::string_view kBom = "\xEF\xBB\xBF";

std::string_view capped(std::string_view text) {
  return text.size() > PlaylistParser::kMaxFieldBytes ? std::string_view() : text;
}

std::string_view withoutDoubleQuotes(std::string_view text) {
  if (text.size() >= 2 && text.front() == '"' && text.back() == '"') return text.substr(1, text.size() - 2);
  return text;
}

// Request header values go on the wire as they are: control characters
// (a CR LF from "%0D%0A" above all) would split or forge header lines.
std::string headerValue(std::string_view text) {
  std::string out;
  for (const char c : capped(text)) {
    const auto u = static_cast<unsigned char>(c);
    if (u >= 0x20 && u != 0x7F) out += c;
  }
  return out;
}

std::string_view numberText(std::string_view value) {
  value = M3uText::trimBlanks(value);
  if (value.size() > 1 && value.front() == '+' && value[1] != '-' && value[1] != '+') value.remove_prefix(1);
  return value;
}

}  // namespace

std::optional<int> PlaylistParser::parseInteger(std::string_view value) {
  value = numberText(value);
  int number = 0;
  const auto [end, error] = std::from_chars(value.data(), value.data() + value.size(), number);
  if (value.empty() || error != std::errc() || end != value.data() + value.size()) return std::nullopt;
  return number;
}

std::optional<double> PlaylistParser::parseHours(std::string_view value) {
  value = numberText(value);
  double hours = 0;
  const auto [end, error] = std::from_chars(value.data(), value.data() + value.size(), hours);
  if (value.empty() || error != std::errc() || end != value.data() + value.size()) return std::nullopt;
  if (!std::isfinite(hours) || std::fabs(hours) > kMaxHours) return std::nullopt;
  return hours;
}

Playlist PlaylistParser::parse(std::string_view text, std::string_view origin, size_t maxChannels) {
  PlaylistParser parser(origin, maxChannels);
  if (Utf8Repair::isValid(text)) {
    parser.parseText(text);
  } else {
    const std::string repaired = Utf8Repair::repaired(text);
    parser.parseText(repaired);
  }
  return std::move(parser.playlist_);
}

PlaylistParser::PlaylistParser(std::string_view origin, size_t maxChannels)
    : origin_(origin), remoteOrigin_(origin.find("://") != std::string_view::npos), maxChannels_(maxChannels) {}

// An upper bound of the channels an extended playlist holds, to size the
// list once instead of moving every channel several times as it grows.
size_t PlaylistParser::countEntries(std::string_view text) const {
  size_t count = 0;
  for (size_t i = text.find('#'); i != std::string_view::npos && count < maxChannels_; i = text.find('#', i + 1))
    count += M3uText::startsWithLower(text.substr(i, 8), "#extinf:");
  return count;
}

void PlaylistParser::parseText(std::string_view text) {
  if (text.starts_with(kBom)) text.remove_prefix(kBom.size());
  playlist_.channels.reserve(countEntries(text));
  const char* p = text.data();
  const char* const end = p + text.size();
  while (p < end && !playlist_.truncated) {
    const char* newline = static_cast<const char*>(std::memchr(p, '\n', static_cast<size_t>(end - p)));
    const char* lineEnd = newline ? newline : end;
    std::string_view line(p, static_cast<size_t>(lineEnd - p));
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    line = M3uText::trimBlanks(line);
    if (!line.empty()) parseLine(line);
    p = newline ? newline + 1 : end;
  }
}

void PlaylistParser::parseLine(std::string_view line) {
  if (line.front() == '#') {
    if (M3uText::startsWithLower(line, "#extinf:")) {
      startEntry(line.substr(8));
    } else if (M3uText::startsWithLower(line, "#extm3u") && (line.size() == 7 || line[7] == ' ' || line[7] == '\t')) {
      parseHeader(line.substr(7));
    } else if (entry_.open) {
      if (M3uText::startsWithLower(line, "#extgrp:")) {
        entry_.group = M3uText::trimBlanks(line.substr(8));
      } else if (M3uText::startsWithLower(line, "#extvlcopt:")) {
        parseEntryOption(line.substr(11));
      }
    }
    return;
  }
  if (entry_.open) {
    entry_.open = false;
    addChannel(line, entry_);
  } else if (line.find("://") != std::string_view::npos) {
    addChannel(line, Entry{});
  }
}

void PlaylistParser::parseHeader(std::string_view attributes) {
  // url-tvg's guides come before x-tvg-url's, whatever their order on the line.
  for (const std::string_view key : {"url-tvg", "x-tvg-url"}) {
    M3uAttributeScanner scanner(attributes, M3uAttributeScanner::Mode::Header);
    M3uAttribute attribute;
    while (scanner.next(attribute))
      if (attribute.keyIs(key)) addGuides(attribute.value);
  }
  M3uAttributeScanner scanner(attributes, M3uAttributeScanner::Mode::Header);
  M3uAttribute attribute;
  while (scanner.next(attribute)) {
    if (attribute.keyIs("tvg-shift")) {
      if (const auto hours = parseHours(attribute.value)) defaultShift_ = *hours;
    } else if (attribute.keyIs("catchup-correction")) {
      if (const auto hours = parseHours(attribute.value)) defaultCorrection_ = *hours;
    }
  }
}

void PlaylistParser::addGuides(std::string_view list) {
  size_t i = 0;
  while (i <= list.size()) {
    const size_t end = std::min(list.find(',', i), list.size());
    const std::string_view guide = capped(M3uText::trimBlanks(list.substr(i, end - i)));
    i = end + 1;
    if (guide.empty()) continue;
    bool known = false;
    for (const std::string& g : playlist_.guides) known = known || g == guide;
    if (known) continue;
    if (playlist_.guides.size() >= kMaxGuides) return;
    playlist_.guides.emplace_back(guide);
  }
}

void PlaylistParser::startEntry(std::string_view afterTag) {
  entry_ = Entry{};
  entry_.open = true;
  // The duration ("-1", "0", "3.5") in front of the attributes.
  size_t i = 0;
  while (i < afterTag.size() && (afterTag[i] == ' ' || afterTag[i] == '\t')) ++i;
  const auto isDurationChar = [](char c) { return (c >= '0' && c <= '9') || c == '-' || c == '+' || c == '.'; };
  while (i < afterTag.size() && isDurationChar(afterTag[i])) ++i;

  M3uAttributeScanner scanner(afterTag.substr(i), M3uAttributeScanner::Mode::Entry);
  M3uAttribute a;
  while (scanner.next(a)) {
    const std::string_view v = a.value;
    if (a.keyIs("tvg-id")) entry_.tvgId = v;
    else if (a.keyIs("tvg-name")) entry_.tvgName = v;
    else if (a.keyIs("tvg-logo")) entry_.logo = v;
    else if (a.keyIs("tvg-chno")) entry_.number = v;
    else if (a.keyIs("tvg-shift")) entry_.shift = v;
    else if (a.keyIs("group-title")) entry_.groupTitle = v;
    else if (a.keyIs("http-user-agent")) entry_.httpUserAgent = v;
    else if (a.keyIs("user-agent")) entry_.userAgent = v;
    else if (a.keyIs("http-referrer")) entry_.referrer = v;
    else if (a.keyIs("catchup")) entry_.catchup = v;
    else if (a.keyIs("catchup-source")) entry_.catchupSource = v;
    else if (a.keyIs("catchup-days")) entry_.catchupDays = v;
    else if (a.keyIs("timeshift")) entry_.timeshift = v;
    else if (a.keyIs("catchup-correction")) entry_.catchupCorrection = v;
  }
  entry_.title = scanner.title();
}

void PlaylistParser::parseEntryOption(std::string_view option) {
  const size_t equals = option.find('=');
  if (equals == std::string_view::npos) return;
  const std::string_view name = M3uText::trimBlanks(option.substr(0, equals));
  const std::string_view value = withoutDoubleQuotes(M3uText::trimBlanks(option.substr(equals + 1)));
  if (M3uText::equalsLower(name, "http-user-agent")) entry_.optionUserAgent = value;
  else if (M3uText::equalsLower(name, "http-referrer")) entry_.optionReferrer = value;
}

std::string PlaylistParser::resolved(std::string_view address) const {
  // Absolute only when "://" follows a scheme: "/live/1.ts?back=http://x/"
  // is a path on the playlist's own server (or a local file) all the same.
  const UriReference reference(address);
  if (reference.hasScheme && address.substr(reference.scheme.size()).starts_with("://")) return std::string(address);
  // On a remote playlist "/live/1.ts" names a path on the playlist's own
  // server, not a file of this machine: it is resolved like any reference.
  if (remoteOrigin_) return UriReference::resolve(origin_, address);
  if (address.front() == '/') return std::string(address);
  return LocalPath::join(origin_, address);
}

void PlaylistParser::setGroups(PlaylistChannel& channel, const Entry& entry) {
  const auto add = [&](std::string_view group) {
    group = capped(M3uText::trimBlanks(group));
    if (group.empty()) return;
    for (const std::string& g : channel.groups)
      if (g == group) return;
    channel.groups.emplace_back(group);
    if (knownGroups_.insert(group).second) playlist_.groups.emplace_back(group);
  };
  const std::string_view titles = entry.groupTitle;
  size_t i = 0;
  while (i < titles.size()) {
    const size_t end = std::min(titles.find(';', i), titles.size());
    add(titles.substr(i, end - i));
    i = end + 1;
  }
  if (channel.groups.empty()) add(entry.group);
}

void PlaylistParser::addChannel(std::string_view addressLine, const Entry& entry) {
  std::string_view optionsText;
  const std::string_view address = capped(StreamOptions::addressPart(addressLine, optionsText));
  if (address.empty()) return;
  // A control character (a lone carriage return, say) is no part of any
  // address or path; passed on it would break the request line it lands in.
  const auto control = [](char c) { return static_cast<unsigned char>(c) < 0x20 || c == 0x7f; };
  if (std::any_of(address.begin(), address.end(), control)) return;
  if (playlist_.channels.size() >= maxChannels_) {
    playlist_.truncated = true;
    return;
  }
  PlaylistChannel& channel = playlist_.channels.emplace_back();
  channel.url = resolved(address);

  const std::string_view title = capped(entry.title);
  const std::string_view tvgName = capped(entry.tvgName);
  channel.name = !title.empty() ? title : !tvgName.empty() ? tvgName : std::string_view(channel.url);
  setGroups(channel, entry);
  channel.tvgId = capped(entry.tvgId);
  channel.tvgName = tvgName;
  channel.logo = capped(entry.logo);
  channel.number = parseInteger(entry.number);
  channel.shift = parseHours(entry.shift).value_or(defaultShift_);

  std::string_view userAgent = !entry.optionUserAgent.empty()  ? entry.optionUserAgent
                               : !entry.httpUserAgent.empty() ? entry.httpUserAgent
                                                              : entry.userAgent;
  std::string_view referrer = !entry.optionReferrer.empty() ? entry.optionReferrer : entry.referrer;
  if (!optionsText.empty() && (userAgent.empty() || referrer.empty())) {
    // Percent-decoding can make any byte, ill-formed UTF-8 included.
    const StreamOptions options(optionsText);
    if (userAgent.empty()) channel.userAgent = headerValue(Utf8Repair::repaired(options.userAgent));
    if (referrer.empty()) channel.referrer = headerValue(Utf8Repair::repaired(options.referrer));
  }
  if (!userAgent.empty()) channel.userAgent = headerValue(userAgent);
  if (!referrer.empty()) channel.referrer = headerValue(referrer);

  channel.catchup = capped(entry.catchup);
  channel.catchupSource = capped(entry.catchupSource);
  channel.catchupDays = parseInteger(entry.catchupDays);
  if (!channel.catchupDays) channel.catchupDays = parseInteger(entry.timeshift);
  channel.catchupCorrection = parseHours(entry.catchupCorrection);
  if (!channel.catchupCorrection) channel.catchupCorrection = defaultCorrection_;
}

}  // namespace tembra
