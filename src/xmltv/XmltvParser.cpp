#include "xmltv/XmltvParser.h"

#include "xmltv/CaseFold.h"
#include "xmltv/Utf8Clean.h"
#include "xmltv/XmlByteText.h"
#include "xmltv/XmltvTime.h"

namespace tembra {

XmltvParser::XmltvParser(XmltvGuideCollector& collector)
    : collector_(collector), reader_(*this), decoder_(reader_), displayNames_(kMaxDisplayNames) {
  fieldText_.reserve(1024);
}

bool XmltvParser::feed(std::string_view piece) { return decoder_.feed(piece); }

XmltvGuideReport XmltvParser::finish() {
  decoder_.finish();
  XmltvGuideReport r = std::move(report_);
  r.encoding = decoder_.encoding();
  r.gzip = decoder_.gzip();
  if (!rootError_.empty()) {
    r.message = rootError_;
  } else if (!reader_.sawRoot()) {
    r.message = decoder_.failed() ? decoder_.error() : reader_.error();
    if (r.message.empty()) r.message = "it is cut off before its first element";
  } else {
    r.ok = true;
    if (decoder_.failed()) {
      r.cutOff = true;
      r.message = decoder_.error() + "; what came before it is kept";
    } else if (reader_.failed()) {
      r.cutOff = true;
      r.message = "it is damaged: " + reader_.error() + "; what came before it is kept";
    } else if (reader_.cutOff() || decoder_.cutOff()) {
      r.cutOff = true;
      r.message = "it is cut off before its end; what came before it is kept";
    }
  }
  return r;
}

bool XmltvParser::attribute(std::string_view attributes, std::string_view name, std::string& out) {
  out.clear();
  const auto raw = XmlByteText::attribute(attributes, name);
  if (!raw) return false;
  if (raw->find('&') == std::string_view::npos) {
    out.assign(*raw);
  } else {
    XmlByteText::appendDecoded(out, *raw);
  }
  return true;
}

// Trimmed, well-formed UTF-8, no longer than kMaxText.
void XmltvParser::cleaned(std::string& text) {
  const std::string_view trimmed = CaseFold::trim(text);
  if (trimmed.size() == text.size() && text.size() <= kMaxText && Utf8Clean::valid(text)) return;
  clean_.clear();
  Utf8Clean::append(clean_, trimmed.substr(0, kMaxText + 8));
  text.assign(Utf8Clean::clip(clean_, kMaxText));
}

bool XmltvParser::startElement(std::string_view name, std::string_view attributes) {
  if (depth_ == 0) {
    if (name != "tv") {
      rootError_ = "not an XMLTV guide: its root element is <" +
                   std::string(Utf8Clean::clip(name.substr(0, 64), 64)) + ">, not <tv>";
      return false;
    }
  } else if (depth_ == 1) {
    context_ = Context::None;
    if (name == "programme") {
      ++report_.programmeElements;
      startProgramme(attributes);
    } else if (name == "channel") {
      ++report_.channelElements;
      context_ = Context::Channel;
      attribute(attributes, "id", channelId_);
      displayNameCount_ = 0;
    }
  } else if (depth_ == 2 && field_ == Field::None &&
             (context_ == Context::Programme || context_ == Context::Channel)) {
    startField(name, attributes);
  }
  ++depth_;
  return true;
}

void XmltvParser::startProgramme(std::string_view attributes) {
  context_ = Context::Skipped;
  if (!attribute(attributes, "start", scratch_)) {
    ++report_.badTimes;
    return;
  }
  const auto start = XmltvTime::parse(scratch_);
  if (!start) {
    ++report_.badTimes;
    return;
  }
  std::optional<int64_t> stop;
  if (attribute(attributes, "stop", scratch_)) {
    stop = XmltvTime::parse(scratch_);
    if (!stop) {
      ++report_.badTimes;
      return;
    }
    // A stop at or before the start tells nothing: the programme then ends
    // where the next one starts, as one without a stop does.
    if (*stop <= *start) stop.reset();
  }
  attribute(attributes, "channel", scratch_);
  slot_ = collector_.slotForId(scratch_);
  if (slot_ == XmltvGuideCollector::kUnwanted) return;
  admission_ = collector_.admit(slot_, *start, stop);
  if (admission_ == XmltvGuideCollector::Admission::Drop) return;
  context_ = Context::Programme;
  programme_.start = *start;
  programme_.stop = stop;
  programme_.title.clear();
  programme_.desc.clear();
  programme_.category.clear();
  programme_.episode.clear();
  programme_.icon.clear();
  haveTitle_ = haveDesc_ = haveCategory_ = haveIcon_ = false;
  episodeOnScreen_ = false;
}

void XmltvParser::startField(std::string_view name, std::string_view attributes) {
  Field field = Field::None;
  if (context_ == Context::Channel) {
    if (name == "display-name") field = Field::DisplayName;
  } else if (name == "title") {
    if (!haveTitle_) field = Field::Title;
  } else if (name == "desc") {
    if (!haveDesc_) field = Field::Desc;
  } else if (name == "category") {
    if (!haveCategory_) field = Field::Category;
  } else if (name == "episode-num") {
    // Of several numbering systems, the on-screen form ("S01E05") is the
    // one a viewer reads; otherwise the first given.
    fieldOnScreen_ = attribute(attributes, "system", scratch_) && scratch_ == "onscreen";
    if (programme_.episode.empty() || (fieldOnScreen_ && !episodeOnScreen_)) field = Field::Episode;
  } else if (name == "icon") {
    if (!haveIcon_ && attribute(attributes, "src", programme_.icon)) {
      cleaned(programme_.icon);
      haveIcon_ = !programme_.icon.empty();
    }
  }
  if (field == Field::None) return;
  field_ = field;
  fieldDepth_ = depth_ + 1;
  fieldText_.clear();
}

void XmltvParser::text(std::string_view raw, bool cdata) {
  if (field_ == Field::None || fieldText_.size() > kMaxText + 8) return;
  if (cdata) {
    fieldText_.append(raw);
  } else {
    XmlByteText::appendDecoded(fieldText_, raw);
  }
}

void XmltvParser::endField() {
  cleaned(fieldText_);
  switch (field_) {
    case Field::DisplayName:
      if (displayNameCount_ < displayNames_.size() && !fieldText_.empty())
        displayNames_[displayNameCount_++].assign(fieldText_);
      break;
    case Field::Title:
      // The first title is the programme's, even when later ones follow
      // in other languages.
      programme_.title.swap(fieldText_);
      haveTitle_ = true;
      break;
    case Field::Desc:
      programme_.desc.swap(fieldText_);
      haveDesc_ = true;
      break;
    case Field::Category:
      programme_.category.swap(fieldText_);
      haveCategory_ = true;
      break;
    case Field::Episode:
      if (!fieldText_.empty()) {
        programme_.episode.swap(fieldText_);
        episodeOnScreen_ = fieldOnScreen_;
      }
      break;
    case Field::None:
      break;
  }
  field_ = Field::None;
}

void XmltvParser::endElement(std::string_view) {
  if (depth_ == 0) return;
  --depth_;
  if (field_ != Field::None && depth_ + 1 == fieldDepth_) endField();
  if (depth_ == 1) {
    if (context_ == Context::Programme) {
      collector_.keep(slot_, programme_, admission_);
    } else if (context_ == Context::Channel) {
      collector_.channel(channelId_, displayNames_, displayNameCount_);
    }
    context_ = Context::None;
  }
}

}  // namespace tembra
