#include "GuideWriter.h"

#include <algorithm>
#include <cstdio>

#include "ProgrammeSchedule.h"
#include "TextEscape.h"

namespace tembra {

namespace {

constexpr size_t kChannelsPerPiece = 32;

std::string clock(uint32_t second) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "%02u:%02u:%02u", second / 3600, second / 60 % 60, second % 60);
  return buf;
}

}  // namespace

GuideWriter::GuideWriter(const DemoData& data, CivilDate first, int days)
    : data_(data), first_(first), days_(days) {}

void GuideWriter::writeChannel(const GuideChannel& channel, std::string& out) const {
  out += "<tv id=\"" + TextEscape::Xml(channel.id) + "\"><tvname>" + TextEscape::Xml(channel.name) +
         "</tvname>\n";
  CivilDate date = first_;
  for (int d = 0; d < days_; ++d, date = date.Next()) {
    const std::string today = date.Text();
    const std::string tomorrow = date.Next().Text();
    for (const Programme& p :
         ProgrammeSchedule::ForDay(data_.seed(), channel.id, date, data_.programmesPerDay())) {
      out += "<tvitem><title>" + TextEscape::Xml(p.title) + "</title><startdate>" + today +
             "</startdate><enddate>" + (p.end >= ProgrammeSchedule::kDaySeconds ? tomorrow : today) +
             "</enddate><starttime>" + clock(p.start) + "</starttime></tvitem>\n";
    }
  }
  out += "</tv>\n";
}

bool GuideWriter::Next(std::string& out) {
  if (finished_) return false;
  if (!started_) {
    started_ = true;
    out += "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<tvlist>\n";
    return true;
  }
  const auto& channels = data_.guideChannels();
  if (next_ >= channels.size()) {
    out += "</tvlist>\n";
    finished_ = true;
    return true;
  }
  for (size_t end = std::min(channels.size(), next_ + kChannelsPerPiece); next_ < end; ++next_)
    writeChannel(channels[next_], out);
  return true;
}

std::string GuideWriter::Malformed(const DemoData& data, CivilDate first) {
  GuideWriter writer(data, first, 1);
  std::string text;
  writer.Next(text);
  const auto& channels = data.guideChannels();
  for (size_t i = 0; i < std::min<size_t>(2, channels.size()); ++i) writer.writeChannel(channels[i], text);
  // Cut off inside the title of the last channel's second programme, as a
  // transfer that broke off would, with no element closed after it.
  size_t last = text.rfind("<tv id=");
  size_t second = last == std::string::npos ? last : text.find("<tvitem>", text.find("<tvitem>", last) + 1);
  if (second != std::string::npos) text.resize(second + std::string("<tvitem><title>Th").size());
  return text;
}

}  // namespace tembra
