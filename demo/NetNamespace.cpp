#include "NetNamespace.h"

#include <arpa/inet.h>
#include <dirent.h>
#include <fcntl.h>
#include <ifaddrs.h>
#include <sched.h>
#include <signal.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <vector>

#include "ProcessRunner.h"

namespace tembra {

namespace {

constexpr const char* kPrefix = "tembra-demo-";
constexpr const char* kLockFile = "/run/tembra-demo-netns.lock";
constexpr int kCommandSeconds = 20;

// Serialises subnet choice and namespace creation between demo services
// starting at the same moment.
class CreationLock {
 public:
  CreationLock() : fd_(open(kLockFile, O_RDWR | O_CREAT | O_CLOEXEC, 0600)) {
    if (fd_ >= 0) flock(fd_, LOCK_EX);
  }
  ~CreationLock() {
    if (fd_ >= 0) close(fd_);
  }

 private:
  int fd_;
};

bool run(const std::vector<std::string>& argv, std::string& error) {
  auto result = ProcessRunner::Run(argv, kCommandSeconds);
  if (result.ok()) return true;
  error.clear();
  for (const auto& a : argv) error += (error.empty() ? "" : " ") + a;
  error += ": " + (result.output.empty() ? std::string("failed") : result.output);
  while (!error.empty() && error.back() == '\n') error.pop_back();
  return false;
}

// Third octet of the first 198.18.X.0/24 that no interface of this
// namespace has an address in; -1 when all are taken.
int freeSubnet() {
  bool used[256] = {};
  ifaddrs* list = nullptr;
  if (getifaddrs(&list) == 0) {
    for (ifaddrs* i = list; i; i = i->ifa_next) {
      if (!i->ifa_addr || i->ifa_addr->sa_family != AF_INET) continue;
      uint32_t a = ntohl(reinterpret_cast<sockaddr_in*>(i->ifa_addr)->sin_addr.s_addr);
      if ((a >> 16) == ((198u << 8) | 18u)) used[(a >> 8) & 0xFF] = true;
    }
    freeifaddrs(list);
  }
  for (int x = 0; x < 256; ++x)
    if (!used[x]) return x;
  return -1;
}

std::string netnsPath(const std::string& name) { return "/run/netns/" + name; }

}  // namespace

bool NetNamespace::IsRoot() { return geteuid() == 0; }

void NetNamespace::RemoveStale() {
  if (!IsRoot()) return;
  CreationLock lock;
  DIR* dir = opendir("/run/netns");
  if (!dir) return;
  std::vector<std::string> stale;
  while (dirent* entry = readdir(dir)) {
    std::string name = entry->d_name;
    if (name.rfind(kPrefix, 0) != 0) continue;
    std::string digits = name.substr(std::strlen(kPrefix));
    if (digits.empty() || digits.find_first_not_of("0123456789") != std::string::npos) continue;
    pid_t pid = static_cast<pid_t>(std::stol(digits));
    if (kill(pid, 0) != 0 && errno == ESRCH) stale.push_back(digits);
  }
  closedir(dir);
  std::string ignored;
  for (const auto& pid : stale) {
    run({"ip", "netns", "del", kPrefix + pid}, ignored);
    run({"ip", "link", "del", "tdh" + pid}, ignored);
  }
}

bool NetNamespace::Create(std::string& error) {
  if (active_) return true;
  if (!IsRoot()) {
    error = "not root";
    return false;
  }
  if (ProcessRunner::FindProgram("ip").empty()) {
    error = "the ip program is missing";
    return false;
  }
  CreationLock lock;
  int subnet = freeSubnet();
  if (subnet < 0) {
    error = "no free subnet in 198.18.0.0/16";
    return false;
  }
  const std::string pid = std::to_string(getpid());
  const std::string prefix = "198.18." + std::to_string(subnet) + ".";
  name_ = kPrefix + pid;
  hostLink_ = "tdh" + pid;
  const std::string innerLink = "tdn" + pid;
  hostAddress_ = prefix + "1";
  innerAddress_ = prefix + "2";

  if (!run({"ip", "netns", "add", name_}, error)) return false;
  active_ = true;
  const std::vector<std::vector<std::string>> steps = {
      {"ip", "link", "add", hostLink_, "type", "veth", "peer", "name", innerLink},
      {"ip", "link", "set", innerLink, "netns", name_},
      {"ip", "addr", "add", hostAddress_ + "/24", "dev", hostLink_},
      {"ip", "link", "set", hostLink_, "up"},
      {"ip", "-n", name_, "addr", "add", innerAddress_ + "/24", "dev", innerLink},
      {"ip", "-n", name_, "link", "set", innerLink, "up"},
      {"ip", "-n", name_, "link", "set", "lo", "up"},
  };
  for (const auto& step : steps) {
    if (!run(step, error)) {
      std::string keep = error;
      Remove();
      error = keep;
      return false;
    }
  }
  return true;
}

void NetNamespace::Remove() {
  if (!active_) return;
  active_ = false;
  std::string ignored;
  // Deleting the namespace destroys its end of the veth pair and with it
  // the host end; the explicit delete covers a pair not yet moved inside.
  run({"ip", "netns", "del", name_}, ignored);
  run({"ip", "link", "del", hostLink_}, ignored);
}

bool NetNamespace::EnterOnThisThread(std::string& error) const {
  int fd = open(netnsPath(name_).c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    error = "cannot open " + netnsPath(name_) + ": " + std::strerror(errno);
    return false;
  }
  int rc = setns(fd, CLONE_NEWNET);
  int saved = errno;
  close(fd);
  if (rc != 0) {
    error = std::string("setns: ") + std::strerror(saved);
    return false;
  }
  return true;
}

}  // namespace tembra
