#pragma once
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

  bool Create(std::string& error);
  void Remove();

  bool active() const { return active_; }
  const std::string& name() const { return name_; }
  const std::string& hostAddress() const { return hostAddress_; }
  const std::string& innerAddress() const { return innerAddress_; }

  // Moves the calling thread into the namespace; sockets it creates from
  // then on belong to the namespace.
  bool EnterOnThisThread(std::string& error) const;

 private:
  bool active_ = false;
  std::string name_;
  std::string hostLink_;
  std::string hostAddress_;
  std::string innerAddress_;
};

}  // namespace tembra
