#pragma once
#include <string>
#include <string_view>

namespace tembra {

// What a sign-in reply says. The body is searched for literal pieces, not
// parsed as XML: the session id runs from the first "<Uuid>" to the first
// "</Uuid>", and "<Result>1</Result>" anywhere means accepted.
struct SignInReply {
  bool hasSessionTags = false;
  std::u16string sessionId;  // empty when the closing tag comes first
  bool accepted = false;

  static SignInReply Parse(std::u16string_view body);
};

}  // namespace tembra
