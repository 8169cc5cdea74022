#include "mainwnd/SignalBridge.h"

#include <QSocketNotifier>

#include <atomic>
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <unistd.h>

namespace tembra {

namespace {

constexpr int kSignals[] = {SIGTERM, SIGINT, SIGHUP};
// The pipe's write end, read by the async-signal handler; -1 while no
// bridge exists.
std::atomic<int> writeEnd{-1};
int readEnd = -1;  // GUI thread only
struct sigaction previous[sizeof kSignals / sizeof kSignals[0]];

extern "C" void onSignal(int number) {
  const int saved = errno;
  const int fd = writeEnd.load();
  if (fd >= 0) {
    const unsigned char byte = static_cast<unsigned char>(number);
    // A full pipe already holds enough wake-ups; losing this one is fine.
    [[maybe_unused]] ssize_t ignored = ::write(fd, &byte, 1);
  }
  errno = saved;
}

}  // namespace

SignalBridge::SignalBridge(QObject* parent) : QObject(parent) {
  if (writeEnd.load() >= 0) return;
  int fds[2];
  if (::pipe2(fds, O_CLOEXEC | O_NONBLOCK) != 0) return;
  readEnd = fds[0];
  writeEnd.store(fds[1]);
  struct sigaction action {};
  action.sa_handler = onSignal;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  for (size_t i = 0; i < std::size(kSignals); ++i) ::sigaction(kSignals[i], &action, &previous[i]);
  notifier_ = new QSocketNotifier(readEnd, QSocketNotifier::Read, this);
  connect(notifier_, &QSocketNotifier::activated, this, &SignalBridge::readPipe);
  installed_ = true;
}

SignalBridge::~SignalBridge() {
  if (!installed_) return;
  for (size_t i = 0; i < std::size(kSignals); ++i) ::sigaction(kSignals[i], &previous[i], nullptr);
  delete notifier_;
  const int fd = writeEnd.exchange(-1);
  ::close(fd);
  ::close(readEnd);
  readEnd = -1;
}

void SignalBridge::readPipe() {
  unsigned char numbers[64];
  ssize_t got;
  while ((got = ::read(readEnd, numbers, sizeof numbers)) > 0)
    for (ssize_t i = 0; i < got; ++i) emit received(numbers[i]);
}

}  // namespace tembra
