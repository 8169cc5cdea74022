#include "service/SignInReply.h"

namespace tembra {

namespace {
constexpr std::u16string_view kOpen = u"<Uuid>";
constexpr std::u16string_view kClose = u"</Uuid>";
constexpr std::u16string_view kAccepted = u"<Result>1</Result>";

// One left-to-right pass; the text left after a removal is not searched again.
std::u16string removeAll(std::u16string_view text, std::u16string_view piece) {
  std::u16string out;
  size_t from = 0;
  for (size_t at; (at = text.find(piece, from)) != std::u16string_view::npos;
       from = at + piece.size()) {
    out.append(text.substr(from, at - from));
  }
  out.append(text.substr(from));
  return out;
}
}  // namespace

SignInReply SignInReply::Parse(std::u16string_view body) {
  SignInReply reply;
  size_t open = body.find(kOpen);
  size_t close = body.find(kClose);
  reply.accepted = body.find(kAccepted) != std::u16string_view::npos;
  if (open == std::u16string_view::npos || close == std::u16string_view::npos) return reply;
  reply.hasSessionTags = true;
  if (close > open) reply.sessionId = removeAll(body.substr(open, close - open), kOpen);
  return reply;
}

}  // namespace tembra
