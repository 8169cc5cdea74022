#include "platform/IcmpEcho.h"

#include <netinet/ip.h>
#include <netinet/ip_icmp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "platform/UniqueFd.h"

namespace tembra {

namespace {

constexpr char kPayload[] = "abcdef";
constexpr size_t kPayloadSize = 6;

std::atomic<uint16_t> nextSequence{1};

uint16_t checksum(const uint8_t* data, size_t size) {
  uint32_t sum = 0;
  for (size_t i = 0; i + 1 < size; i += 2) sum += static_cast<uint32_t>(data[i] << 8 | data[i + 1]);
  if (size % 2 != 0) sum += static_cast<uint32_t>(data[size - 1] << 8);
  while (sum >> 16) sum = (sum & 0xFFFF) + (sum >> 16);
  return htons(static_cast<uint16_t>(~sum));
}

// The ICMP part of a received datagram: raw sockets deliver the IP header
// in front of it, datagram ICMP sockets do not.
const uint8_t* icmpPart(const uint8_t* data, size_t size, bool raw, size_t* icmpSize) {
  if (!raw) {
    *icmpSize = size;
    return data;
  }
  if (size < sizeof(iphdr)) return nullptr;
  size_t headerSize = static_cast<size_t>(data[0] & 0x0F) * 4;
  if (headerSize < sizeof(iphdr) || headerSize > size) return nullptr;
  *icmpSize = size - headerSize;
  return data + headerSize;
}

// A raw socket sees every ICMP message of the machine (our own request on
// loopback too, and other pings' replies), so a reply must match type,
// identifier, sequence, sender and payload. On a datagram socket the kernel
// chose the identifier and only hands us replies to it.
bool isOurReply(const uint8_t* data, size_t size, bool raw, uint16_t id, uint16_t sequence,
                const sockaddr_in& from, in_addr target) {
  if (from.sin_addr.s_addr != target.s_addr) return false;
  size_t icmpSize = 0;
  const uint8_t* icmp = icmpPart(data, size, raw, &icmpSize);
  if (icmp == nullptr || icmpSize < sizeof(icmphdr) + kPayloadSize) return false;
  icmphdr header;
  std::memcpy(&header, icmp, sizeof header);
  if (header.type != ICMP_ECHOREPLY || header.code != 0) return false;
  if (ntohs(header.un.echo.sequence) != sequence) return false;
  if (raw && ntohs(header.un.echo.id) != id) return false;
  return std::memcmp(icmp + sizeof(icmphdr), kPayload, kPayloadSize) == 0;
}

}  // namespace

EchoOutcome IcmpEcho::Send(in_addr address, int timeoutMs) {
  bool raw = false;
  UniqueFd fd(socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, IPPROTO_ICMP));
  if (!fd) {
    fd.reset(socket(AF_INET, SOCK_RAW | SOCK_CLOEXEC, IPPROTO_ICMP));
    raw = true;
  }
  if (!fd) return EchoOutcome::NoSocket;

  const uint16_t id = static_cast<uint16_t>(getpid());
  const uint16_t sequence = nextSequence.fetch_add(1);
  uint8_t packet[sizeof(icmphdr) + kPayloadSize] = {};
  icmphdr header{};
  header.type = ICMP_ECHO;
  header.code = 0;
  header.un.echo.id = htons(id);
  header.un.echo.sequence = htons(sequence);
  std::memcpy(packet, &header, sizeof header);
  std::memcpy(packet + sizeof header, kPayload, kPayloadSize);
  uint16_t sum = checksum(packet, sizeof packet);
  std::memcpy(packet + offsetof(icmphdr, checksum), &sum, sizeof sum);

  sockaddr_in to{};
  to.sin_family = AF_INET;
  to.sin_addr = address;
  if (sendto(fd.get(), packet, sizeof packet, 0, reinterpret_cast<const sockaddr*>(&to),
             sizeof to) != static_cast<ssize_t>(sizeof packet)) {
    return EchoOutcome::NoReply;
  }

  using Clock = std::chrono::steady_clock;
  const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
  uint8_t buffer[1500];
  for (;;) {
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
    if (left.count() <= 0) return EchoOutcome::NoReply;
    pollfd p{fd.get(), POLLIN, 0};
    int n = poll(&p, 1, static_cast<int>(left.count()));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return EchoOutcome::NoReply;
    sockaddr_in from{};
    socklen_t fromSize = sizeof from;
    ssize_t got = recvfrom(fd.get(), buffer, sizeof buffer, 0, reinterpret_cast<sockaddr*>(&from),
                           &fromSize);
    if (got < 0) {
      if (errno == EINTR || errno == EAGAIN) continue;
      return EchoOutcome::NoReply;
    }
    if (isOurReply(buffer, static_cast<size_t>(got), raw, id, sequence, from, address)) {
      return EchoOutcome::Reply;
    }
  }
}

}  // namespace tembra
