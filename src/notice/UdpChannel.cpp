#include "notice/UdpChannel.h"

#include <sys/eventfd.h>
#include <unistd.h>

#include "notice/NoticeAnswer.h"
#include "notice/NoticeSocket.h"

namespace tembra {

UdpChannel::UdpChannel(AddressSource serverAddress, MessageTarget* window)
    : UdpChannel(std::move(serverAddress), window, Timing{}) {}

UdpChannel::UdpChannel(AddressSource serverAddress, MessageTarget* window, Timing timing)
    : serverAddress_(std::move(serverAddress)),
      window_(window),
      timing_(timing),
      stopFd_(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)) {
  std::lock_guard g(workerLock_);
  startWorker();
}

UdpChannel::~UdpChannel() {
  std::lock_guard g(workerLock_);
  if (stopFd_) {
    const uint64_t one = 1;
    (void)!::write(stopFd_.get(), &one, sizeof one);
  }
  if (worker_.joinable()) worker_.join();
}

bool UdpChannel::restart() {
  std::lock_guard g(workerLock_);
  if (!pending_ || running_) return false;
  if (worker_.joinable()) worker_.join();
  startWorker();
  return true;
}

void UdpChannel::startWorker() {
  running_ = true;
  worker_ = std::thread([this] {
    work();
    running_ = false;
  });
}

bool UdpChannel::sendQuery(NoticeSocket& socket) {
  const std::string address = serverAddress_ ? serverAddress_() : std::string();
  if (!socket.sendQuery(address, NoticeAnswer::Query(kVersion))) return false;
  ++queriesSent_;
  return true;
}

void UdpChannel::report(const NoticeAnswer& answer) {
  if (window_ == nullptr) return;
  if (answer.kind == NoticeAnswer::Kind::Forced) {
    window_->send(kMessage, 0, 1);
  } else {
    noticeText_ = answer.text;
    window_->send(kMessage, reinterpret_cast<uintptr_t>(noticeText_.c_str()), 0);
  }
}

void UdpChannel::work() {
  if (!stopFd_) return;
  NoticeSocket socket;
  if (!socket.open() || !sendQuery(socket)) return;
  const int stop = stopFd_.get();
  int32_t resends = 0;
  for (;;) {
    std::string bytes;
    switch (socket.waitAnswer(timing_.answerWait, stop, bytes)) {
      case NoticeSocket::Wait::Stopped:
      case NoticeSocket::Wait::Failed:
        return;
      case NoticeSocket::Wait::TimedOut:
        if (!NoticeSocket::pause(timing_.resendDelay, stop) || !sendQuery(socket)) return;
        if (resends < INT32_MAX) ++resends;
        continue;
      case NoticeSocket::Wait::Answer:
        break;
    }
    const NoticeAnswer answer = NoticeAnswer::FromDatagram(bytes);
    switch (answer.kind) {
      case NoticeAnswer::Kind::Notice:
      case NoticeAnswer::Kind::Forced:
        pending_ = false;
        report(answer);
        return;
      case NoticeAnswer::Kind::Nothing:
        return;
      case NoticeAnswer::Kind::Malformed:
        if (resends == INT32_MAX) return;
        if (!NoticeSocket::pause(timing_.resendDelay, stop) || !sendQuery(socket)) return;
        ++resends;
        continue;
    }
  }
}

}  // namespace tembra
