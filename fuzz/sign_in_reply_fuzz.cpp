// An arbitrary sign-in reply: the verdict and session id follow the literal
// pieces the reply holds, and nothing else.
#include <cstddef>
#include <cstdint>
#include <string>

#include "FuzzSupport.h"
#include "platform/Utf.h"
#include "service/SignInReply.h"

using tembra::fuzz::Check;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::u16string body = tembra::fromUtf8(tembra::fuzz::Bytes(data, size));
  const tembra::SignInReply reply = tembra::SignInReply::Parse(body);
  Check(reply.accepted == (body.find(u"<Result>1</Result>") != std::u16string::npos));
  if (!reply.hasSessionTags) Check(reply.sessionId.empty());
  Check(reply.sessionId.size() <= body.size());
  return 0;
}
