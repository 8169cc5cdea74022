// An arbitrary notice datagram: a verdict always, text only for a notice,
// never longer than an answer may be, and with '#' already turned into line
// feeds.
#include <cstddef>
#include <cstdint>

#include "FuzzSupport.h"
#include "notice/NoticeAnswer.h"

using tembra::NoticeAnswer;
using tembra::fuzz::Check;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const NoticeAnswer answer = NoticeAnswer::FromDatagram(tembra::fuzz::Bytes(data, size));
  if (answer.kind != NoticeAnswer::Kind::Notice) Check(answer.text.empty());
  Check(answer.text.size() <= NoticeAnswer::kMaxChars);
  Check(answer.text.find(u'#') == std::u16string::npos);
  // The parse of the text part alone gives the same verdict for text that
  // holds no zero and fits.
  std::u16string units(size / 2, u'\0');
  for (size_t i = 0; i < units.size(); ++i) units[i] = char16_t(data[2 * i] | (data[2 * i + 1] << 8));
  const NoticeAnswer parsed = NoticeAnswer::Parse(units);
  if (parsed.kind != NoticeAnswer::Kind::Notice) Check(parsed.text.empty());
  Check(parsed.text.find(u'#') == std::u16string::npos);
  return 0;
}
