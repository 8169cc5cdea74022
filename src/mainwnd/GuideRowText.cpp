#include "mainwnd/GuideRowText.h"

namespace tembra {

std::u16string GuideRowText::ChannelRow(const GuideRow& row) {
  std::u16string text;
  text.reserve(row.name.size() + row.entry.starttime.size() + row.entry.title.size() + 2);
  text += row.name;
  text += u' ';
  text += DayRow(row);
  return text;
}

std::u16string GuideRowText::DayRow(const GuideRow& row) {
  std::u16string text;
  text.reserve(row.entry.starttime.size() + row.entry.title.size() + 1);
  text += row.entry.starttime;
  text += u' ';
  text += row.entry.title;
  return text;
}

}  // namespace tembra
