// An arbitrary guide reply, as text and as a file: each channel is kept
// once, carries the day asked for, and the two ways of reading agree.
#include <cstddef>
#include <cstdint>
#include <set>
#include <string>

#include "FuzzSupport.h"
#include "guide/GuideReplyParser.h"
#include "platform/Utf.h"

using tembra::fuzz::Check;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const tembra::fuzz::Scratch scratch("guide-fuzz");
  const std::u16string day = u"2024-05-10";
  const std::u16string text = tembra::fromUtf8(tembra::fuzz::Bytes(data, size));
  const auto days = tembra::GuideReplyParser::ParseText(text, day);
  std::set<std::u16string> ids;
  for (const auto& channel : days) {
    Check(channel.dayKey == day);
    Check(ids.insert(channel.id).second);
  }
  const std::string path = scratch.write("tv.xml", tembra::fuzz::Bytes(data, size));
  bool complete = false;
  const auto fromFile = tembra::GuideReplyParser::ParseFile(path, day, 1u << 20, &complete);
  Check(fromFile.has_value());
  const auto tooBig = tembra::GuideReplyParser::ParseFile(path, day, size == 0 ? 0 : size - 1);
  if (size > 0) Check(!tooBig.has_value());
  return 0;
}
