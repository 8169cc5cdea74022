#include "PlaylistWriter.h"

#include <algorithm>

namespace tembra {

namespace {

constexpr size_t kChannelsPerPiece = 256;

// M3U has no escapes: a quote would end an attribute and a line break the
// entry, so neither may reach the file.
std::string attribute(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (char c : text) out += c == '"' ? '\'' : (c == '\r' || c == '\n') ? ' ' : c;
  return out;
}

}  // namespace

PlaylistWriter::PlaylistWriter(const DemoData& data, std::string base, bool crlf)
    : data_(data), base_(std::move(base)), crlf_(crlf) {}

void PlaylistWriter::setAccount(std::string user, std::string password) {
  user_ = std::move(user);
  password_ = std::move(password);
}

PlaylistWriter::Catchup PlaylistWriter::CatchupOf(size_t index) {
  switch (index % 6) {
    case 0: return Catchup::Default;
    case 1: return Catchup::Append;
    case 3: return Catchup::Shift;
    case 4: return Catchup::Xc;
    case 5: return index >= kPlainChannels ? Catchup::Flussonic : Catchup::None;
    default: return Catchup::None;
  }
}

std::string PlaylistWriter::StreamPath(size_t index, const std::string& id) {
  return CatchupOf(index) == Catchup::Flussonic ? "fs/" + id + "/mpegts" : "stream/" + id;
}

std::string PlaylistWriter::GuideName(size_t index, const DemoChannel& channel) {
  return index == 1 ? channel.name + ", Mumbai" : channel.name;
}

void PlaylistWriter::line(std::string& out, std::string_view text) const {
  out += text;
  out += crlf_ ? "\r\n" : "\n";
}

bool PlaylistWriter::Next(std::string& out) {
  if (!started_) {
    started_ = true;
    line(out, "#EXTM3U url-tvg=\"" + base_ + "epg.xml.gz\"");
    return true;
  }
  const auto& channels = data_.channels();
  if (next_ >= channels.size()) return false;
  for (size_t end = std::min(channels.size(), next_ + kChannelsPerPiece); next_ < end; ++next_) {
    const DemoChannel& c = channels[next_];
    std::string entry = "#EXTINF:-1";
    if (HasGuideId(next_)) entry += " tvg-id=\"" + attribute(c.id) + "\"";
    entry += " tvg-name=\"" + attribute(GuideName(next_, c)) + "\" tvg-logo=\"" + base_ + "logo/" +
             attribute(c.id) + ".png\" tvg-chno=\"" + std::to_string(next_ + 1) + "\" group-title=\"" +
             attribute(data_.groups()[c.group].name) + "\"";
    const std::string days = " catchup-days=\"" + std::to_string(kCatchupDays) + "\"";
    switch (CatchupOf(next_)) {
      case Catchup::Default:
        entry += " catchup=\"default\" catchup-source=\"" + base_ + "catchup/" + attribute(c.id) +
                 ".ts?utc={utc}&end={utcend}&lutc={lutc}\"" + days;
        break;
      case Catchup::Append:
        entry += " catchup=\"append\" catchup-source=\"?utc={utc}&end={utcend}&lutc={lutc}\"" + days;
        break;
      case Catchup::Shift:
        entry += " catchup=\"shift\"" + days;
        break;
      case Catchup::Xc:
        entry += " catchup=\"xc\" catchup-source=\"" + base_ + "timeshift/" + attribute(user_) + "/" +
                 attribute(password_) + "/{duration:60}/{Y}-{m}-{d}:{H}-{M}/" + attribute(c.id) + ".ts\"" + days;
        break;
      case Catchup::Flussonic:
        entry += " catchup=\"flussonic\"" + days;
        break;
      case Catchup::None:
        break;
    }
    entry += "," + attribute(c.name);
    line(out, entry);
    line(out, base_ + StreamPath(next_, c.id));
  }
  return true;
}

}  // namespace tembra
