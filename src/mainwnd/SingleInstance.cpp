#include "mainwnd/SingleInstance.h"

#include <QLocalServer>
#include <QLocalSocket>
#include <QTimer>

#include <algorithm>
#include <chrono>
#include <thread>

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tembra {

namespace {

constexpr char kRequest[] = "activate\n";
constexpr char kActivated[] = "activated\n";
constexpr qsizetype kMaxRequest = 64;
constexpr int kSilentClientMs = 5000;

bool isDirectory(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

}  // namespace

SingleInstance::SingleInstance(std::string directory, QObject* parent)
    : QObject(parent), directory_(std::move(directory)) {
  while (directory_.size() > 1 && directory_.back() == '/') directory_.pop_back();
  if (!directory_.empty()) {
    lockPath_ = directory_ + "/Quorvi";
    socketPath_ = directory_ + "/Quorvi.socket";
  }
}

SingleInstance::~SingleInstance() { stopListening(); }

std::string SingleInstance::runtimeDirectory() {
  return runtimeDirectory(std::getenv("XDG_RUNTIME_DIR"), "/tmp", ::getuid());
}

std::string SingleInstance::runtimeDirectory(const char* xdg, const std::string& fallbackRoot,
                                             unsigned uid) {
  if (xdg != nullptr && *xdg == '/' && isDirectory(xdg)) return xdg;
  const std::string folder = fallbackRoot + "/tembra-" + std::to_string(uid);
  if (::mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST) return {};
  struct stat st {};
  if (::lstat(folder.c_str(), &st) != 0 || !S_ISDIR(st.st_mode) || st.st_uid != uid ||
      (st.st_mode & 077) != 0)
    return {};
  return folder;
}

SingleInstance::Lock SingleInstance::tryLock() {
  if (lock_.valid()) return Lock::Taken;
  UniqueFd fd(::open(lockPath_.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600));
  if (!fd.valid()) return Lock::Failed;
  if (::flock(fd.get(), LOCK_EX | LOCK_NB) == 0) {
    lock_ = std::move(fd);
    return Lock::Taken;
  }
  return errno == EWOULDBLOCK ? Lock::Held : Lock::Failed;
}

SingleInstance::Outcome SingleInstance::establish(int graceMs) {
  if (directory_.empty()) return Outcome::Failed;
  using Clock = std::chrono::steady_clock;
  const auto deadline = Clock::now() + std::chrono::milliseconds(graceMs);
  for (;;) {
    switch (tryLock()) {
      case Lock::Taken:
        return Outcome::Primary;
      case Lock::Failed:
        return Outcome::Failed;
      case Lock::Held:
        break;
    }
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    if (askToActivate(static_cast<int>(std::clamp<long long>(left, 200, 1000))))
      return Outcome::HandedOver;
    if (Clock::now() >= deadline) return Outcome::NoAnswer;
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }
}

bool SingleInstance::askToActivate(int timeoutMs) const {
  if (socketPath_.empty()) return false;
  using Clock = std::chrono::steady_clock;
  const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
  auto left = [&] {
    return static_cast<int>(std::max<long long>(
        0, std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count()));
  };
  QLocalSocket socket;
  socket.connectToServer(QString::fromStdString(socketPath_));
  if (!socket.waitForConnected(left())) return false;
  socket.write(kRequest);
  if (!socket.waitForBytesWritten(left())) return false;
  QByteArray answer;
  while (!answer.contains('\n') && answer.size() < kMaxRequest) {
    if (socket.bytesAvailable() == 0 && !socket.waitForReadyRead(left())) break;
    answer += socket.readAll();
  }
  return answer == kActivated;
}

bool SingleInstance::listen(std::function<void()> onActivate) {
  if (!lock_.valid()) return false;
  stopListening();
  onActivate_ = std::move(onActivate);
  const QString path = QString::fromStdString(socketPath_);
  // We hold the lock, so a socket file left there is a dead copy's.
  QLocalServer::removeServer(path);
  server_ = std::make_unique<QLocalServer>();
  server_->setSocketOptions(QLocalServer::UserAccessOption);
  if (!server_->listen(path)) {
    server_.reset();
    return false;
  }
  connect(server_.get(), &QLocalServer::newConnection, this, [this] {
    while (server_ && server_->hasPendingConnections()) serve(server_->nextPendingConnection());
  });
  return true;
}

// One request line per connection, at most kMaxRequest bytes; anything
// else, or silence, ends the connection without touching the window.
void SingleInstance::serve(QLocalSocket* client) {
  connect(client, &QLocalSocket::disconnected, client, &QObject::deleteLater);
  QTimer::singleShot(kSilentClientMs, client, [client] { client->abort(); });
  auto buffer = std::make_shared<QByteArray>();
  connect(client, &QLocalSocket::readyRead, client, [this, client, buffer] {
    *buffer += client->read(kMaxRequest + 1 - buffer->size());
    const qsizetype end = buffer->indexOf('\n');
    if (end < 0) {
      if (buffer->size() > kMaxRequest) client->abort();
      return;
    }
    if (buffer->left(end + 1) == kRequest) {
      if (onActivate_) onActivate_();
      client->write(kActivated);
    }
    client->disconnectFromServer();
  });
}

void SingleInstance::stopListening() {
  if (!server_) return;
  server_->close();
  server_.reset();
}

bool SingleInstance::listening() const { return server_ && server_->isListening(); }

}  // namespace tembra
