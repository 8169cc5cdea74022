#include "record/RecordingSchedule.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <fstream>

#include "platform/AtomicFile.h"
#include "platform/XdgFolders.h"

namespace tembra {

namespace {

constexpr std::string_view kHeader = "# tembra recordings 1";

std::string clean(const std::string& text) {
  std::string out = text;
  for (char& c : out)
    if (c == '\t' || c == '\n' || c == '\r' || c == '\0') c = ' ';
  return out;
}

std::optional<int64_t> number(std::string_view text) {
  int64_t value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size() || text.empty()) return std::nullopt;
  return value;
}

}  // namespace

RecordingSchedule::RecordingSchedule(std::string path) : path_(std::move(path)) {}

std::string RecordingSchedule::defaultPath() { return XdgFolders::configHome() + "/tembra/recordings.list"; }

std::string RecordingSchedule::lineOf(const Entry& e) {
  return std::to_string(e.start) + "\t" + std::to_string(e.stop) + "\t" + clean(e.sourceId) + "\t" +
         clean(e.channelId) + "\t" + clean(e.channelName) + "\t" + clean(e.title);
}

std::optional<RecordingSchedule::Entry> RecordingSchedule::parseLine(const std::string& line) {
  std::vector<std::string_view> fields;
  std::string_view rest(line);
  if (!rest.empty() && rest.back() == '\r') rest.remove_suffix(1);
  while (fields.size() < 5) {
    const size_t tab = rest.find('\t');
    if (tab == std::string_view::npos) return std::nullopt;
    fields.push_back(rest.substr(0, tab));
    rest.remove_prefix(tab + 1);
  }
  fields.push_back(rest);
  const std::optional<int64_t> start = number(fields[0]), stop = number(fields[1]);
  if (!start || !stop || *stop <= *start || fields[3].empty()) return std::nullopt;
  return Entry{std::string(fields[2]), std::string(fields[3]), std::string(fields[4]), std::string(fields[5]), *start,
               *stop};
}

bool RecordingSchedule::load() {
  entries_.clear();
  std::ifstream in(path_, std::ios::binary);
  if (!in) return errno == ENOENT;
  std::string line;
  size_t read = 0;
  while (entries_.size() < kMaxEntries && std::getline(in, line)) {
    read += line.size() + 1;
    if (read > kMaxFileBytes) break;
    if (line.empty() || line.front() == '#') continue;
    if (std::optional<Entry> e = parseLine(line)) entries_.push_back(std::move(*e));
  }
  std::stable_sort(entries_.begin(), entries_.end(), [](const Entry& a, const Entry& b) { return a.start < b.start; });
  return true;
}

bool RecordingSchedule::save() const {
  std::string text(kHeader);
  text += '\n';
  for (const Entry& e : entries_) text += lineOf(e) + "\n";
  const size_t slash = path_.rfind('/');
  if (slash != std::string::npos && slash > 0 && !XdgFolders::ensure(path_.substr(0, slash))) return false;
  return replaceFileAtomically(path_, text, 0600);
}

bool RecordingSchedule::add(Entry entry, int64_t now) {
  if (entry.stop <= entry.start || entry.recordUntil() <= now || entry.channelId.empty()) return false;
  if (entries_.size() >= kMaxEntries || has(entry.sourceId, entry.channelId, entry.start)) return false;
  const auto at = std::upper_bound(entries_.begin(), entries_.end(), entry.start,
                                   [](int64_t start, const Entry& e) { return start < e.start; });
  const auto inserted = entries_.insert(at, std::move(entry));
  if (save()) return true;
  entries_.erase(inserted);
  return false;
}

bool RecordingSchedule::remove(const std::string& sourceId, const std::string& channelId, int64_t start) {
  const auto before = entries_.size();
  std::vector<Entry> kept = entries_;
  std::erase_if(kept, [&](const Entry& e) { return e.sourceId == sourceId && e.channelId == channelId && e.start == start; });
  if (kept.size() == before) return false;
  std::swap(kept, entries_);
  if (save()) return true;
  std::swap(kept, entries_);
  return false;
}

bool RecordingSchedule::has(const std::string& sourceId, const std::string& channelId, int64_t start) const {
  return std::any_of(entries_.begin(), entries_.end(), [&](const Entry& e) {
    return e.sourceId == sourceId && e.channelId == channelId && e.start == start;
  });
}

std::optional<RecordingSchedule::Entry> RecordingSchedule::due(const std::string& sourceId, int64_t now) const {
  for (const Entry& e : entries_)
    if (e.sourceId == sourceId && e.recordFrom() <= now && now < e.recordUntil()) return e;
  return std::nullopt;
}

bool RecordingSchedule::dropFinished(int64_t now) {
  const size_t before = entries_.size();
  std::vector<Entry> kept = entries_;
  std::erase_if(kept, [&](const Entry& e) { return e.recordUntil() <= now; });
  if (kept.size() == before) return false;
  entries_ = std::move(kept);
  save();
  return true;
}

std::optional<int64_t> RecordingSchedule::nextChange(const std::string& sourceId, int64_t now) const {
  std::optional<int64_t> next;
  for (const Entry& e : entries_) {
    if (e.sourceId != sourceId) continue;
    const int64_t at = e.recordFrom() > now ? e.recordFrom() : e.recordUntil();
    if (at <= now) continue;
    if (!next || at - now < *next) next = at - now;
  }
  return next;
}

}  // namespace tembra
