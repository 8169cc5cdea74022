#pragma once
#include <mutex>
#include <string>

namespace tembra {

// The network namespace the notice responder lives in. Client and responder
// both use UDP port 36000, so they cannot share a namespace: this one is
// "tembra-demo-<pid>", joined to the host by a veth pair in 198.18.X.0/24
// (host side .1, namespace side .2; X is the first subnet no interface uses,
// 0 unless another demo service holds it). Needs root.
class NetNamespace {
 public:
  NetNamespace() = default;
  ~NetNamespace() { Remove(); }
  NetNamespace(const NetNamespace&) = delete;
  NetNamespace& operator=(const NetNamespace&) = delete;

  static bool IsRoot();
  // Deletes namespaces (and their veth) left by demo services that died
  // without cleaning up.
  static void RemoveStale();

  // Create and Remove run on the thread that starts and stops the service,
  // while request threads may be reading the accessors below.
  bool Create(std::string& error);
  void Remove();

  bool active() const;
  std::string name() const;
  std::string hostAddress() const;
  std::string innerAddress() const;

  // Moves the calling thread into the namespace; sockets it creates from
  // then on belong to the namespace.
  bool EnterOnThisThread(std::string& error) const;

 private:
  struct State {
    bool active = false;
    std::string name;
    std::string hostLink;
    std::string hostAddress;
    std::string innerAddress;
  };
  State state() const;
  // The commands that undo a creation, however far it came.
  static void removeLinks(const State& state);

  mutable std::mutex lock_;  // guards state_
  State state_;
};

}  // namespace tembra
