#include "XmltvWriter.h"

#include <algorithm>
#include <cstdio>
#include <iterator>

#include "ProgrammeSchedule.h"
#include "Rng.h"
#include "TextEscape.h"

namespace tembra {

namespace {

constexpr size_t kChannelsPerPiece = 64;
constexpr size_t kScheduleChannelsPerPiece = 8;

constexpr const char* kCategories[] = {"News",   "Sports",      "Movie",  "Kids",   "Music",
                                       "Series", "Documentary", "Comedy", "Travel", "Talk"};

constexpr const char* kPlots[] = {
    "A fresh look at a familiar story, told by the people who lived it.",
    "Old friends meet again and nothing goes to plan.",
    "The team follows the trail from the city to the coast.",
    "Highlights, interviews and the week's talking points.",
    "A family recipe, a crowded kitchen and a deadline.",
    "Behind the scenes with the crew that keeps it all running.",
};

}  // namespace

XmltvWriter::XmltvWriter(const DemoData& data, Setup setup) : data_(data), setup_(std::move(setup)) {}

std::optional<std::time_t> XmltvWriter::LocalInstant(const CivilDate& date, uint32_t second) {
  CivilDate day = date;
  if (second >= ProgrammeSchedule::kDaySeconds) {
    day = date.Next();
    second -= ProgrammeSchedule::kDaySeconds;
  }
  std::tm local{};
  local.tm_year = day.year - 1900;
  local.tm_mon = day.month - 1;
  local.tm_mday = day.day;
  local.tm_hour = static_cast<int>(second / 3600);
  local.tm_min = static_cast<int>(second / 60 % 60);
  local.tm_sec = static_cast<int>(second % 60);
  local.tm_isdst = -1;  // the zone's rules decide, as they do for the guide's reader
  std::time_t instant = std::mktime(&local);
  if (instant == static_cast<std::time_t>(-1)) return std::nullopt;
  return instant;
}

std::string XmltvWriter::Stamp(std::time_t instant, bool wrongOffset) {
  std::tm utc{};
  gmtime_r(&instant, &utc);
  char buf[40];
  std::snprintf(buf, sizeof buf, "%04d%02d%02d%02d%02d%02d %s", utc.tm_year + 1900, utc.tm_mon + 1,
                utc.tm_mday, utc.tm_hour, utc.tm_min, utc.tm_sec, wrongOffset ? "+0300" : "+0000");
  return buf;
}

void XmltvWriter::writeChannel(const GuideChannel& channel, std::string& out) const {
  out += "<channel id=\"" + TextEscape::Xml(channel.id) + "\"><display-name>" + TextEscape::Xml(channel.name) +
         "</display-name>";
  // Only catalogue channels have a logo to show.
  if (data_.FindChannel(channel.id))
    out += "<icon src=\"" + TextEscape::Xml(setup_.base + "logo/" + channel.id + ".png") + "\"/>";
  out += "</channel>\n";
}

void XmltvWriter::writeProgrammes(const GuideChannel& channel, std::string& out) const {
  const std::string id = TextEscape::Xml(channel.id);
  CivilDate date = setup_.first;
  for (int d = 0; d < setup_.days; ++d, date = date.Next()) {
    for (const Programme& p :
         ProgrammeSchedule::ForDay(data_.seed(), channel.id, date, data_.programmesPerDay())) {
      auto start = LocalInstant(date, p.start);
      auto stop = LocalInstant(date, p.end);
      // Around a clock change a programme's wall-clock start and stop can
      // come out as no span at all; it is left out rather than given a
      // stop before its start.
      if (!start || !stop || *stop <= *start) continue;
      Rng rng(Rng::hash(p.title, data_.seed()));
      out += "<programme start=\"" + Stamp(*start, setup_.wrongOffset) + "\" stop=\"" +
             Stamp(*stop, setup_.wrongOffset) + "\" channel=\"" + id + "\"><title>" +
             TextEscape::Xml(p.title) + "</title><desc>" + TextEscape::Xml(p.title) + " on " +
             TextEscape::Xml(channel.name) + ". " + kPlots[rng.below(std::size(kPlots))] +
             "</desc><category>" + kCategories[rng.below(std::size(kCategories))] +
             "</category></programme>\n";
    }
  }
}

bool XmltvWriter::Next(std::string& out) {
  const auto& channels = data_.guideChannels();
  switch (stage_) {
    case Stage::Header:
      out += "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<tv generator-info-name=\"tembra-demo-service\">\n";
      stage_ = Stage::Channels;
      return true;
    case Stage::Channels:
      for (size_t end = std::min(channels.size(), next_ + kChannelsPerPiece); next_ < end; ++next_)
        writeChannel(channels[next_], out);
      if (next_ >= channels.size()) {
        stage_ = Stage::Programmes;
        next_ = 0;
      }
      return true;
    case Stage::Programmes: {
      const size_t cut = setup_.truncated ? (channels.size() + 1) / 2 : channels.size();
      for (size_t end = std::min(cut, next_ + kScheduleChannelsPerPiece); next_ < end; ++next_)
        writeProgrammes(channels[next_], out);
      if (next_ < cut) return true;
      if (setup_.truncated) {
        // Half of the next channel's programmes, broken off mid-element.
        if (next_ < channels.size()) {
          std::string rest;
          writeProgrammes(channels[next_], rest);
          out.append(rest, 0, rest.size() / 2);
        }
        stage_ = Stage::Done;
      } else {
        stage_ = Stage::Footer;
      }
      return true;
    }
    case Stage::Footer:
      out += "</tv>\n";
      stage_ = Stage::Done;
      return true;
    case Stage::Done:
      return false;
  }
  return false;
}

}  // namespace tembra
