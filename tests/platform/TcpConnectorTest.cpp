#include "platform/TcpConnector.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <unistd.h>

#include <vector>

#include "platform/LoopbackListener.h"

namespace tembra {
namespace {

using test::loopback;

TEST(TcpConnector, ConnectsInBlockingModeAndCarriesData) {
  test::LoopbackListener server("HTTP/1.0 200 OK\r\n\r\nok");
  UniqueFd fd = TcpConnector::Connect(loopback(), server.port(), 2000);
  ASSERT_TRUE(fd.valid());
  EXPECT_EQ(fcntl(fd.get(), F_GETFL) & O_NONBLOCK, 0);
  const std::string request = "GET / HTTP/1.0\r\n\r\n";
  ASSERT_EQ(send(fd.get(), request.data(), request.size(), 0),
            static_cast<ssize_t>(request.size()));
  std::string answer;
  char buffer[256];
  ssize_t got;
  while ((got = recv(fd.get(), buffer, sizeof buffer, 0)) > 0) answer.append(buffer, got);
  EXPECT_EQ(answer, "HTTP/1.0 200 OK\r\n\r\nok");
  ASSERT_EQ(server.requests().size(), 1u);
  EXPECT_EQ(server.requests()[0], request);
}

TEST(TcpConnector, RefusedConnectionFails) {
  EXPECT_FALSE(TcpConnector::Connect(loopback(), test::refusedPort(), 2000).valid());
}

// A listener whose accept queue is full drops further connection attempts,
// so the connection can only end by the time limit.
TEST(TcpConnector, UnansweredConnectionGivesUpAtTheLimit) {
  int listener = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_in addr{};
  addr.sin_family = AF_INET;
  addr.sin_addr = loopback();
  ASSERT_EQ(bind(listener, reinterpret_cast<sockaddr*>(&addr), sizeof addr), 0);
  ASSERT_EQ(listen(listener, 0), 0);
  socklen_t len = sizeof addr;
  getsockname(listener, reinterpret_cast<sockaddr*>(&addr), &len);
  uint16_t port = ntohs(addr.sin_port);

  std::vector<UniqueFd> queued;
  UniqueFd last;
  for (int i = 0; i < 8; ++i) {
    last = TcpConnector::Connect(loopback(), port, 200);
    if (!last.valid()) break;
    queued.push_back(std::move(last));
  }
  EXPECT_FALSE(last.valid()) << "the accept queue never filled";
  EXPECT_FALSE(queued.empty());
  close(listener);
}

}  // namespace
}  // namespace tembra
