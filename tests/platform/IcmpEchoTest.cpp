#include "platform/IcmpEcho.h"

#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <unistd.h>

#include <string>
#include <thread>
#include <vector>

#include "platform/LoopbackListener.h"
#include "platform/NetNamespace.h"

namespace tembra {
namespace {

using test::loopback;

TEST(IcmpEcho, LoopbackAnswers) {
  EchoOutcome outcome = IcmpEcho::Send(loopback());
  if (outcome == EchoOutcome::NoSocket) {
    GTEST_SKIP() << "neither a datagram nor a raw ICMP socket can be opened here";
  }
  EXPECT_EQ(outcome, EchoOutcome::Reply);
}

TEST(IcmpEcho, ConcurrentEchoesEachGetAReply) {
  if (IcmpEcho::Send(loopback()) == EchoOutcome::NoSocket) {
    GTEST_SKIP() << "neither a datagram nor a raw ICMP socket can be opened here";
  }
  std::vector<EchoOutcome> outcomes(4, EchoOutcome::NoReply);
  std::vector<std::thread> threads;
  for (size_t i = 0; i < outcomes.size(); ++i) {
    threads.emplace_back([&outcomes, i] { outcomes[i] = IcmpEcho::Send(loopback()); });
  }
  for (auto& t : threads) t.join();
  for (EchoOutcome o : outcomes) EXPECT_EQ(o, EchoOutcome::Reply);
}

// Loopback up but ignoring echoes. A raw socket there still sees our own
// request coming back over loopback: it must not be taken for the reply.
int echoInSilentNamespace() {
  if (int failed = test::enterNamespace("icmp_echo_ignore_all", "1")) return failed;
  switch (IcmpEcho::Send(loopback(), 300)) {
    case EchoOutcome::Reply: return 1;
    case EchoOutcome::NoReply: return 0;
    case EchoOutcome::NoSocket: return 13;
  }
  return 14;
}

// Datagram ICMP sockets allowed for our group: the unprivileged way, where
// the kernel picks the identifier and strips the IP header.
int echoOverDatagramSocket() {
  std::string range = std::to_string(getgid()) + " " + std::to_string(getgid());
  if (int failed = test::enterNamespace("ping_group_range", range.c_str())) return failed;
  int probe = socket(AF_INET, SOCK_DGRAM, IPPROTO_ICMP);
  if (probe < 0) return 13;
  close(probe);
  return IcmpEcho::Send(loopback()) == EchoOutcome::Reply ? 0 : 1;
}

TEST(IcmpEcho, UnansweredEchoIsNoReply) {
  int code = test::runInChild(echoInSilentNamespace);
  if (code >= 10) GTEST_SKIP() << "cannot make a silent network namespace here (step " << code << ")";
  EXPECT_EQ(code, 0) << "our own echo request was taken for a reply";
}

TEST(IcmpEcho, DatagramSocketGetsTheReply) {
  int code = test::runInChild(echoOverDatagramSocket);
  if (code >= 10) GTEST_SKIP() << "cannot allow datagram ICMP sockets here (step " << code << ")";
  EXPECT_EQ(code, 0);
}

}  // namespace
}  // namespace tembra
