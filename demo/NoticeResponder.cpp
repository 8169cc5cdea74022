#include "NoticeResponder.h"

#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace tembra {

NoticeResponder::~NoticeResponder() { Stop(); }

bool NoticeResponder::SetAnswer(Mode mode, const std::string& text) {
  if (mode == Mode::Notice &&
      (text.empty() || text.find_first_of(std::string("|^$\0", 4)) != std::string::npos))
    return false;
  std::lock_guard g(lock_);
  mode_ = mode;
  text_ = mode == Mode::Notice ? text : std::string();
  return true;
}

std::string NoticeResponder::Answer() const {
  std::lock_guard g(lock_);
  switch (mode_) {
    case Mode::Notice:
      return "^1|x|" + text_ + "|0$";
    case Mode::Forced:
      return "^1|x|Upgrade now|1$";
    default:
      return "^0$";
  }
}

void NoticeResponder::Start(int fd) {
  fd_ = fd;
  thread_ = std::thread([this] { serve(); });
}

void NoticeResponder::Stop() {
  stop_ = true;
  if (thread_.joinable()) thread_.join();
  if (fd_ >= 0) {
    close(fd_);
    fd_ = -1;
  }
}

void NoticeResponder::serve() {
  char buf[2048];
  while (!stop_ && !shutdown_.triggered()) {
    pollfd p{fd_, POLLIN, 0};
    if (poll(&p, 1, 200) <= 0) continue;
    sockaddr_in from{};
    socklen_t fromLength = sizeof from;
    ssize_t n = recvfrom(fd_, buf, sizeof buf, 0, reinterpret_cast<sockaddr*>(&from), &fromLength);
    if (n < 0) continue;
    ++queries_;
    const std::string answer = Answer();
    sendto(fd_, answer.data(), answer.size(), 0, reinterpret_cast<sockaddr*>(&from), fromLength);
  }
}

}  // namespace tembra
