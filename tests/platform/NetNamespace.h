#pragma once
// Tests that need a network where loopback behaves differently (ignores
// echoes, allows datagram ICMP sockets) make one of their own in a child
// process, so the machine's own settings are never touched.
#include <fcntl.h>
#include <net/if.h>
#include <sched.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>
#include <string>

namespace tembra::test {

// Steps in a child process: a network namespace of its own with loopback
// up and one setting under /proc/sys/net/ipv4 written. Codes of 10 and over
// mean the namespace could not be made.
inline int enterNamespace(const char* setting, const char* value) {
  if (unshare(CLONE_NEWNET) != 0) return 10;
  int s = socket(AF_INET, SOCK_DGRAM, 0);
  ifreq ifr{};
  std::strncpy(ifr.ifr_name, "lo", IFNAMSIZ - 1);
  if (ioctl(s, SIOCGIFFLAGS, &ifr) != 0) return 11;
  ifr.ifr_flags |= IFF_UP;
  if (ioctl(s, SIOCSIFFLAGS, &ifr) != 0) return 11;
  close(s);
  std::string path = std::string("/proc/sys/net/ipv4/") + setting;
  int f = open(path.c_str(), O_WRONLY);
  ssize_t size = static_cast<ssize_t>(std::strlen(value));
  if (f < 0 || write(f, value, size) != size) return 12;
  close(f);
  return 0;
}

inline int runInChild(int (*body)()) {
  pid_t child = fork();
  if (child < 0) return 20;
  if (child == 0) _exit(body());
  int status = 0;
  if (waitpid(child, &status, 0) != child || !WIFEXITED(status)) return 21;
  return WEXITSTATUS(status);
}

}  // namespace tembra::test
