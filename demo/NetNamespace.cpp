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
#include <utility>
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
  if (active()) return true;
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
  State made;
  made.active = true;
  made.name = kPrefix + pid;
  made.hostLink = "tdh" + pid;
  made.hostAddress = prefix + "1";
  made.innerAddress = prefix + "2";
  const std::string innerLink = "tdn" + pid;

  if (!run({"ip", "netns", "add", made.name}, error)) return false;
  const std::vector<std::vector<std::string>> steps = {
      {"ip", "link", "add", made.hostLink, "type", "veth", "peer", "name", innerLink},
      {"ip", "link", "set", innerLink, "netns", made.name},
      {"ip", "addr", "add", made.hostAddress + "/24", "dev", made.hostLink},
      {"ip", "link", "set", made.hostLink, "up"},
      {"ip", "-n", made.name, "addr", "add", made.innerAddress + "/24", "dev", innerLink},
      {"ip", "-n", made.name, "link", "set", innerLink, "up"},
      {"ip", "-n", made.name, "link", "set", "lo", "up"},
  };
  for (const auto& step : steps) {
    if (!run(step, error)) {
      removeLinks(made);
      return false;
    }
  }
  // Published whole, once it is usable: a reader never sees an address
  // without its namespace or a half-written name.
  std::lock_guard g(lock_);
  state_ = std::move(made);
  return true;
}

void NetNamespace::Remove() {
  State gone;
  {
    std::lock_guard g(lock_);
    if (!state_.active) return;
    gone = std::exchange(state_, State{});
  }
  removeLinks(gone);
}

void NetNamespace::removeLinks(const State& state) {
  std::string ignored;
  // Deleting the namespace destroys its end of the veth pair and with it
  // the host end; the explicit delete covers a pair not yet moved inside.
  run({"ip", "netns", "del", state.name}, ignored);
  run({"ip", "link", "del", state.hostLink}, ignored);
}

NetNamespace::State NetNamespace::state() const {
  std::lock_guard g(lock_);
  return state_;
}

bool NetNamespace::active() const {
  std::lock_guard g(lock_);
  return state_.active;
}

std::string NetNamespace::name() const { return state().name; }

std::string NetNamespace::hostAddress() const { return state().hostAddress; }

std::string NetNamespace::innerAddress() const { return state().innerAddress; }

bool NetNamespace::EnterOnThisThread(std::string& error) const {
  const std::string path = netnsPath(name());
  int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    error = "cannot open " + path + ": " + std::strerror(errno);
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
