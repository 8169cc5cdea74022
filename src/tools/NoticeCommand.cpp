// tembra-tool notice query SERVER-IPV4 [--wait SECONDS]: asks a server's
// notice port what the client would be told, from port 36000 as the client
// does, and says what the answer means.
#include <arpa/inet.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "notice/NoticeAnswer.h"
#include "notice/NoticeSocket.h"
#include "notice/UdpChannel.h"
#include "platform/Utf.h"
#include "tools/Commands.h"

namespace tembra::tools {

namespace {

constexpr int kDefaultWaitSeconds = 10;
constexpr int kMaxWaitSeconds = 3600;

int usageError(const std::string& problem) {
  std::fprintf(stderr, "tembra-tool: %s\nusage: tembra-tool notice query SERVER-IPV4 [--wait SECONDS]\n",
               problem.c_str());
  return 2;
}

bool parseSeconds(const std::string& text, int& seconds) {
  if (text.empty() || text.size() > 4 || text.find_first_not_of("0123456789") != std::string::npos)
    return false;
  seconds = std::atoi(text.c_str());
  return seconds >= 1 && seconds <= kMaxWaitSeconds;
}

void printAnswer(const NoticeAnswer& answer, const std::string& raw) {
  switch (answer.kind) {
    case NoticeAnswer::Kind::Nothing:
      std::printf("nothing to do\n");
      break;
    case NoticeAnswer::Kind::Forced:
      std::printf("forced upgrade\n");
      break;
    case NoticeAnswer::Kind::Notice:
      std::printf("notice\n%s\n", toUtf8(answer.text).c_str());
      break;
    case NoticeAnswer::Kind::Malformed:
      std::printf("malformed: %s\n", raw.substr(0, raw.find('\0')).c_str());
      break;
  }
}

}  // namespace

int runNotice(const std::vector<std::string>& args) {
  if (args.empty() || args[0] != "query") return usageError("notice needs 'query'");
  std::string address;
  int waitSeconds = kDefaultWaitSeconds;
  for (size_t i = 1; i < args.size(); ++i) {
    if (args[i] == "--wait") {
      if (i + 1 >= args.size() || !parseSeconds(args[i + 1], waitSeconds))
        return usageError("--wait takes a whole number of seconds from 1 to 3600");
      ++i;
    } else if (address.empty()) {
      address = args[i];
    } else {
      return usageError("notice query takes one server address");
    }
  }
  in_addr parsed{};
  if (address.empty() || inet_pton(AF_INET, address.c_str(), &parsed) != 1)
    return usageError("the server must be a dotted IPv4 address");

  NoticeSocket socket;
  std::string error;
  if (!socket.open(&error)) {
    std::fprintf(stderr, "tembra-tool: %s\n", error.c_str());
    return 2;
  }
  if (!socket.sendQuery(address, NoticeAnswer::Query(UdpChannel::kVersion))) {
    std::fprintf(stderr, "tembra-tool: cannot send the query to %s\n", address.c_str());
    return 1;
  }
  std::string bytes;
  const auto outcome = socket.waitAnswer(std::chrono::seconds(waitSeconds), -1, bytes);
  if (outcome != NoticeSocket::Wait::Answer) {
    std::fprintf(stderr, "tembra-tool: no answer from %s:%u within %d s\n", address.c_str(),
                 NoticeSocket::kPort, waitSeconds);
    return 1;
  }
  const NoticeAnswer answer = NoticeAnswer::FromDatagram(bytes);
  printAnswer(answer, bytes);
  return answer.kind == NoticeAnswer::Kind::Malformed ? 1 : 0;
}

}  // namespace tembra::tools
