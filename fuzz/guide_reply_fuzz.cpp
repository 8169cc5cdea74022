// An arbitrary guide reply, read as the program reads it (as a stream, fed
// in pieces) and as a document loaded whole: both give the same channels
// and the same verdict on whether the reply was whole. Each channel is kept
// once and carries the day asked for; a file over the limit is not read.
#include <cstddef>
#include <cstdint>
#include <set>
#include <string>

#include "FuzzSupport.h"
#include "guide/GuideReplyParser.h"
#include "guide/GuideReplyReader.h"
#include "xml/XmlDocument.h"
#include "xml/XmlFileDecoder.h"

using tembra::fuzz::Check;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const tembra::fuzz::Scratch scratch("guide-fuzz");
  const std::u16string day = u"2024-05-10";
  const std::string_view bytes = tembra::fuzz::Bytes(data, size);

  tembra::XmlDocument doc(tembra::XmlFileDecoder::DecodeBytes(bytes).text);
  const auto whole = tembra::GuideReplyParser::Read(doc, day);
  const bool wholeComplete = tembra::GuideReplyParser::Complete(doc);

  // Pieces of a size the input chooses, so that cuts fall everywhere.
  const size_t piece = size == 0 ? 1 : 1 + data[size / 2] % 67;
  tembra::GuideReplyReader reader(day);
  for (size_t at = 0; at < size; at += piece) reader.Feed(bytes.substr(at, piece));
  const tembra::GuideReplyReader::Result streamed = reader.Finish();
  const auto channels = streamed.list->channels();
  Check(channels == whole);
  Check(streamed.complete == wholeComplete);
  std::set<std::u16string> ids;
  for (const auto& channel : channels) {
    Check(channel.dayKey == day);
    Check(ids.insert(channel.id).second);
  }

  const std::string path = scratch.write("tv.xml", bytes);
  bool complete = !wholeComplete;
  const auto fromFile = tembra::GuideReplyParser::ParseFile(path, day, 1u << 20, &complete);
  Check(fromFile.has_value() && *fromFile == whole && complete == wholeComplete);
  if (size > 0) Check(!tembra::GuideReplyParser::ParseFile(path, day, size - 1).has_value());
  return 0;
}
