#include "notice/NoticeAnswer.h"

#include "platform/Utf.h"

namespace tembra {

std::string NoticeAnswer::Query(std::u16string_view version) {
  const std::string pattern = "^001|1#!|cn$";
  const std::string v = toUtf8(version);
  std::string out;
  for (char c : pattern) {
    if (c == '!')
      out += v;
    else
      out += c;
  }
  out += '\0';
  return out;
}

NoticeAnswer NoticeAnswer::FromDatagram(std::string_view bytes) {
  bytes = bytes.substr(0, bytes.find('\0'));
  std::u16string text = fromUtf8(bytes);
  if (text.size() > kMaxChars) {
    size_t cut = kMaxChars;
    // Never keep half of a surrogate pair.
    if (text[cut - 1] >= 0xD800 && text[cut - 1] <= 0xDBFF) --cut;
    text.resize(cut);
  }
  return Parse(text);
}

NoticeAnswer NoticeAnswer::Parse(std::u16string_view text) {
  NoticeAnswer answer;
  if (text.empty() || text.front() != u'^' || text.back() != u'$') return answer;
  while (!text.empty() && text.front() == u'^') text.remove_prefix(1);
  while (!text.empty() && text.back() == u'$') text.remove_suffix(1);
  if (!text.empty() && text.front() == u'0') {
    answer.kind = Kind::Nothing;
    return answer;
  }
  const size_t first = text.find(u'|');
  if (first == std::u16string_view::npos) return answer;
  const size_t second = text.find(u'|', first + 1);
  if (second == std::u16string_view::npos) return answer;
  const size_t third = text.find(u'|', second + 1);
  if (third == std::u16string_view::npos) return answer;

  std::u16string notice(text.substr(second + 1, third - second - 1));
  for (char16_t& c : notice)
    if (c == u'#') c = u'\n';
  while (!notice.empty() && notice.back() == u'\n') notice.pop_back();
  if (text.substr(third + 1) == u"1") {
    answer.kind = Kind::Forced;
  } else {
    answer.kind = Kind::Notice;
    answer.text = std::move(notice);
  }
  return answer;
}

}  // namespace tembra
