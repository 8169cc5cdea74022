#pragma once
#include <atomic>
#include <chrono>
#include <climits>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <thread>

#include "platform/MessageTarget.h"
#include "platform/UniqueFd.h"

namespace tembra {

// The service's notice channel: a worker sends one query to UDP port 36000
// of the server in use, waits for the answer (asking again every minute
// while none comes) and reports it to the window:
//
//   window.send(WM_UDP_NOTICE, 0, 1)        forced upgrade
//   window.send(WM_UDP_NOTICE, text, 0)     notice; wParam is a const
//                                           char16_t* to a zero-terminated
//                                           text, valid during the call only
//
// Nothing is sent for "nothing to do", for a failure or once the channel is
// being destroyed. The answer is sent with MessageTarget::send, which
// returns at once when the window is closing.
//
// Use from the window:
//   udp = std::make_unique<UdpChannel>([&client] { return client.serverAddress(); }, this);
//   on WM_CATALOGUE_LOADED:  udp->restart();
class UdpChannel {
 public:
  // The dotted IPv4 text of the server in use, read anew for every query.
  // Called on the worker thread: it must return a copy made under whatever
  // guards the text (ServiceClient::serverAddress does).
  using AddressSource = std::function<std::string()>;

  struct Timing {
    // Ask again when no answer came for this long...
    std::chrono::milliseconds answerWait{60000};
    // ...after this pause; also the pause before asking again after a
    // malformed answer.
    std::chrono::milliseconds resendDelay{1000};
  };

  static constexpr uint16_t kPort = 36000;
  static constexpr const char16_t* kVersion = u"1.0.2";
  static constexpr uint32_t kMessage = WM_UDP_NOTICE;

  // Starts the worker at once. window may be null (nothing is reported).
  UdpChannel(AddressSource serverAddress, MessageTarget* window);
  UdpChannel(AddressSource serverAddress, MessageTarget* window, Timing timing);
  // Stops the worker and waits for it (a wait of a few milliseconds unless
  // the window is handling its message).
  ~UdpChannel();
  UdpChannel(const UdpChannel&) = delete;
  UdpChannel& operator=(const UdpChannel&) = delete;

  // Starts the worker again when no complete answer has come yet and no
  // worker runs (an earlier one ended on "nothing to do" or a failure). Two
  // workers never run at once. True when a worker was started.
  bool restart();

  // True until a complete answer (notice or forced upgrade) has arrived.
  bool pending() const { return pending_.load(); }
  // True while a worker runs.
  bool running() const { return running_.load(); }
  // Queries sent by all workers so far.
  uint64_t queriesSent() const { return queriesSent_.load(); }

 private:
  void startWorker();  // caller holds workerLock_
  void work();
  bool sendQuery(class NoticeSocket& socket);
  void report(const struct NoticeAnswer& answer);

  AddressSource serverAddress_;
  MessageTarget* window_;
  Timing timing_;
  UniqueFd stopFd_;  // an eventfd, readable once the channel is destroyed

  std::mutex workerLock_;      // serialises restart() and destruction
  std::thread worker_;         // guarded by workerLock_
  std::atomic<bool> pending_{true};
  std::atomic<bool> running_{false};
  std::atomic<uint64_t> queriesSent_{0};
  // The last notice, owned here for the window to read during send().
  std::u16string noticeText_;  // worker thread only
};

}  // namespace tembra
