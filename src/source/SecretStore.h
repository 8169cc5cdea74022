#pragma once
#include <optional>
#include <string>

namespace tembra {

// Provider account passwords in the desktop's secret store (the Secret
// Service on the session bus, through libsecret), each under the sources
// file it belongs to and the source's id. Every call blocks until the store
// answers; without a session bus nothing is tried and every call fails.
class SecretStore {
 public:
  // A session bus is there to ask; whether a secret service answers on it
  // only a call tells.
  static bool reachable();
  static bool store(const std::string& listPath, const std::string& sourceId, const std::string& label,
                    const std::string& password);
  static std::optional<std::string> lookup(const std::string& listPath, const std::string& sourceId);
  static void clear(const std::string& listPath, const std::string& sourceId);
};

}  // namespace tembra
