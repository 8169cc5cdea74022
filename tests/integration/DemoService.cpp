#include "integration/DemoService.h"

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <httplib.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <thread>
#include <vector>

#include "platform/ModulePath.h"

extern char** environ;

namespace tembra::test {

namespace {

// Only a guard against a service that never comes up; start-up normally
// takes a fraction of a second.
constexpr int kStartLimitMs = 120000;
constexpr int kStopLimitSeconds = 30;

}  // namespace

std::string DemoService::Executable() { return ModulePath::record() + "tembra-demo-service"; }

std::string DemoService::SharedCacheDir() {
  return "/tmp/tembra-demo-test-cache-" + std::to_string(getuid());
}

DemoService::DemoService(std::vector<std::string> args) {
  Setup setup;
  setup.args = std::move(args);
  start(std::move(setup));
}

DemoService::DemoService(Setup setup) { start(std::move(setup)); }

DemoService::~DemoService() {
  Stop();
  if (killed_) ADD_FAILURE() << "the demo service did not stop within " << kStopLimitSeconds << " s of SIGTERM";
}

std::string DemoService::base() const { return "http://127.0.0.1:" + std::to_string(port_); }

void DemoService::start(Setup setup) {
  std::vector<std::string> argv = {Executable(), "--listen", "127.0.0.1:0", "--cache",
                                   setup.cacheDir.empty() ? SharedCacheDir() : setup.cacheDir};
  if (!setup.notice) argv.push_back("--no-notice");
  if (!setup.pregenerate) argv.push_back("--no-pregenerate");
  argv.insert(argv.end(), setup.args.begin(), setup.args.end());

  int fds[2];
  if (pipe2(fds, O_CLOEXEC) != 0) {
    error_ = "pipe failed";
    return;
  }
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, fds[1], 1);
  std::vector<char*> args;
  for (auto& a : argv) args.push_back(a.data());
  args.push_back(nullptr);
  std::vector<std::string> envText;
  for (char** e = environ; *e; ++e) {
    const std::string entry = *e;
    const size_t eq = entry.find('=');
    const std::string name = eq == std::string::npos ? entry : entry.substr(0, eq + 1);
    bool replaced = false;
    for (const auto& own : setup.env) replaced |= own.rfind(name, 0) == 0;
    if (!replaced) envText.push_back(entry);
  }
  envText.insert(envText.end(), setup.env.begin(), setup.env.end());
  std::vector<char*> envp;
  for (auto& e : envText) envp.push_back(e.data());
  envp.push_back(nullptr);
  int rc = posix_spawn(&pid_, argv[0].c_str(), &actions, nullptr, args.data(), envp.data());
  posix_spawn_file_actions_destroy(&actions);
  close(fds[1]);
  if (rc != 0) {
    pid_ = -1;
    close(fds[0]);
    error_ = "cannot start " + argv[0];
    return;
  }

  std::string pending;
  auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(kStartLimitMs);
  while (!ready_) {
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
    if (left.count() <= 0) {
      error_ = "no \"ready\" line in time";
      break;
    }
    pollfd p{fds[0], POLLIN, 0};
    if (poll(&p, 1, static_cast<int>(left.count())) <= 0) continue;
    char buf[1024];
    ssize_t n = read(fds[0], buf, sizeof buf);
    if (n <= 0) {
      error_ = "the service ended before it was ready";
      break;
    }
    pending.append(buf, static_cast<size_t>(n));
    for (size_t nl; (nl = pending.find('\n')) != std::string::npos;) {
      std::string line = pending.substr(0, nl);
      pending.erase(0, nl + 1);
      if (line == "ready") {
        ready_ = true;
        break;
      }
      lines_.push_back(line);
    }
  }
  close(fds[0]);
  const std::string prefix = "listening on http://127.0.0.1:";
  if (!lines_.empty() && lines_.front().rfind(prefix, 0) == 0)
    port_ = static_cast<uint16_t>(std::atoi(lines_.front().c_str() + prefix.size()));
  if (!ready_ || port_ == 0) {
    if (error_.empty()) error_ = "the first line was not \"listening on http://127.0.0.1:PORT\"";
    for (const auto& l : lines_) error_ += "\n  " + l;
  }
}

std::string DemoService::LineAfter(std::string_view prefix) const {
  for (const auto& line : lines_)
    if (line.rfind(prefix, 0) == 0) return line.substr(prefix.size());
  return {};
}

int DemoService::Stop() {
  if (stopped_ || pid_ <= 0) return exitStatus_;
  stopped_ = true;
  kill(pid_, SIGTERM);
  // A service that does not stop within the limit is killed, so a shutdown
  // fault fails the test (exit status -1) instead of hanging the suite.
  int status = 0;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(kStopLimitSeconds);
  pid_t done = 0;
  while ((done = waitpid(pid_, &status, WNOHANG)) == 0 && std::chrono::steady_clock::now() < deadline)
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  if (done == 0) {
    kill(pid_, SIGKILL);
    killed_ = true;
    while (waitpid(pid_, &status, 0) < 0 && errno == EINTR) {
    }
    exitStatus_ = -1;
    return exitStatus_;
  }
  exitStatus_ = done > 0 && WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return exitStatus_;
}

DemoService::Reply DemoService::Get(const std::string& path) const {
  httplib::Client client("127.0.0.1", port_);
  client.set_read_timeout(120, 0);
  Reply reply;
  if (auto res = client.Get(path.c_str())) {
    reply.status = res->status;
    reply.body = res->body;
  }
  return reply;
}

DemoService::Reply DemoService::Post(const std::string& path, const std::string& body,
                                     const std::string& type) const {
  httplib::Client client("127.0.0.1", port_);
  client.set_read_timeout(120, 0);
  Reply reply;
  if (auto res = client.Post(path.c_str(), body, type.c_str())) {
    reply.status = res->status;
    reply.body = res->body;
  }
  return reply;
}

std::string DemoService::SignIn() const {
  Reply reply = Get("/auth.action?type=1&ack=0000002a0001000000000000002b");
  size_t open = reply.body.find("<Uuid>");
  size_t close = reply.body.find("</Uuid>");
  if (reply.body.find("<Result>1</Result>") == std::string::npos || open == std::string::npos ||
      close == std::string::npos || close < open)
    return {};
  return reply.body.substr(open + 6, close - open - 6);
}

namespace {

// Reads a JSON array of strings; false when text is not one. Only control
// characters may come as \u escapes.
bool parseStringArray(const std::string& json, std::vector<std::string>& out) {
  size_t i = json.find('[');
  if (i == std::string::npos) return false;
  ++i;
  auto skip = [&] {
    while (i < json.size() && isspace(static_cast<unsigned char>(json[i]))) ++i;
  };
  skip();
  if (i < json.size() && json[i] == ']') return true;
  for (;;) {
    skip();
    if (i >= json.size() || json[i++] != '"') return false;
    std::string s;
    while (i < json.size() && json[i] != '"') {
      char c = json[i++];
      if (c != '\\') {
        if (static_cast<unsigned char>(c) < 0x20) return false;
        s += c;
        continue;
      }
      if (i >= json.size()) return false;
      switch (char e = json[i++]) {
        case '"': case '\\': case '/': s += e; break;
        case 'n': s += '\n'; break;
        case 'r': s += '\r'; break;
        case 't': s += '\t'; break;
        case 'b': s += '\b'; break;
        case 'f': s += '\f'; break;
        case 'u': {
          if (i + 4 > json.size()) return false;
          unsigned v = std::stoul(json.substr(i, 4), nullptr, 16);
          i += 4;
          if (v >= 0x80) return false;
          s += static_cast<char>(v);
          break;
        }
        default: return false;
      }
    }
    if (i >= json.size()) return false;
    ++i;
    out.push_back(s);
    skip();
    if (i < json.size() && json[i] == ',') {
      ++i;
      continue;
    }
    return i < json.size() && json[i] == ']';
  }
}

}  // namespace

std::vector<std::string> DemoService::Records() const {
  const Reply reply = Get("/demo/records");
  std::vector<std::string> out;
  EXPECT_EQ(reply.status, 200);
  EXPECT_TRUE(parseStringArray(reply.body, out)) << reply.body;
  return out;
}

DemoService::Setup DemoService::WithNotice(std::vector<std::string> args) {
  Setup setup;
  setup.notice = true;
  setup.args = std::move(args);
  return setup;
}

std::string DemoService::NoticeAddress() const {
  const std::string udp = LineAfter("notice responder on udp://");
  return udp.substr(0, udp.find(':'));
}

DemoService::ProgramResult DemoService::RunProgram(const std::vector<std::string>& argv) {
  ProgramResult result;
  int fds[2];
  if (argv.empty() || pipe2(fds, O_CLOEXEC) != 0) return result;
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_adddup2(&actions, fds[1], 1);
  posix_spawn_file_actions_adddup2(&actions, fds[1], 2);
  std::vector<std::string> copy = argv;
  std::vector<char*> args;
  for (auto& a : copy) args.push_back(a.data());
  args.push_back(nullptr);
  pid_t pid = -1;
  int rc = posix_spawnp(&pid, copy[0].c_str(), &actions, nullptr, args.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  close(fds[1]);
  if (rc == 0) {
    char buf[4096];
    for (ssize_t n; (n = read(fds[0], buf, sizeof buf)) > 0;) result.output.append(buf, static_cast<size_t>(n));
    int status = 0;
    while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    if (WIFEXITED(status)) result.exitCode = WEXITSTATUS(status);
  }
  close(fds[0]);
  return result;
}

bool DemoService::HaveProgram(const std::string& name) {
  return RunProgram({"sh", "-c", "command -v " + name}).exitCode == 0;
}

std::string DemoService::RawExchange(uint16_t port, const std::string& request) {
  int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) return {};
  sockaddr_in sa{};
  sa.sin_family = AF_INET;
  sa.sin_port = htons(port);
  sa.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  timeval limit{120, 0};
  setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &limit, sizeof limit);
  std::string reply;
  if (connect(fd, reinterpret_cast<sockaddr*>(&sa), sizeof sa) == 0 &&
      send(fd, request.data(), request.size(), MSG_NOSIGNAL) == static_cast<ssize_t>(request.size())) {
    char buf[1440];
    for (ssize_t n; (n = recv(fd, buf, sizeof buf, 0)) > 0;) reply.append(buf, static_cast<size_t>(n));
  }
  close(fd);
  return reply;
}

}  // namespace tembra::test
