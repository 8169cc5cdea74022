#pragma once
#include <chrono>
#include <cstdint>
#include <memory>
#include <string>

#include "ads/AdRefreshReport.h"
#include "platform/MessageTarget.h"

namespace tembra {

class ConfigStore;

// The once-per-start advertisement refresh. Creating the updater starts one
// pass on its own thread at once:
//
//   ads_ = std::make_unique<AdUpdater>(ModulePath::folder(), ConfigStore::Instance(),
//                                      client.currentServer(), this);
//
// The pass asks server + "pcad.action" for the manifest and, for each slot
// whose advertisement is newer than the time stored under the slot's key
// (or whose stored value names a page that is no longer on disk), stores
// the new page address (link) or downloads the zip package, unpacks
// it into the slot's folder below the program folder ("Advertise/Fix",
// "Advertise/Pop") and stores "<time><EOF>Advertise\Fix\index.html" (see
// AdSlot). After each right-pane advertisement of the manifest, changed or
// not, it sends WM_AD_UPDATED (wParam 0, lParam 0) to the window, which then
// reloads its right pane from the stored value. Pop-up advertisements send
// nothing.
//
// Nothing joins the thread: destroying the updater or ending the process
// while the pass runs is safe. The settings file is replaced atomically, a
// package is unpacked into a hidden folder and swapped in whole, and
// leftovers of a cut-short pass are cleared by the next one. The config
// store must outlive the pass (it lives for the process); a window given as
// a raw pointer must too, one given as a shared relay need not.
class AdUpdater {
 public:
  static constexpr uint32_t kMessage = WM_AD_UPDATED;
  static constexpr long kConnectTimeoutMs = 500;
  static constexpr int kConnectRetries = 2;
  static constexpr size_t kMaxManifestBytes = 1u << 20;
  static constexpr size_t kMaxPackageBytes = 64u << 20;

  struct Setup {
    std::string programFolder;   // the folder of the executable; a '/' is added when missing
    ConfigStore* config = nullptr;
    std::u16string server;       // base URL of the server in use; empty: nothing is asked
    MessageTarget* window = nullptr;  // may be null: no messages
  };

  // server: the ServiceClient's currentServer() when the updater is made.
  AdUpdater(std::string programFolder, ConfigStore& config, std::u16string server, MessageTarget* window);
  // The same, the pass's thread keeping the window's relay (not the window)
  // alive: the window may go while a request hangs.
  AdUpdater(std::string programFolder, ConfigStore& config, std::u16string server,
            std::shared_ptr<MessageTarget> window);
  ~AdUpdater();
  AdUpdater(const AdUpdater&) = delete;
  AdUpdater& operator=(const AdUpdater&) = delete;

  // True once the pass has ended (within timeout); for tests and tools.
  bool WaitForPass(std::chrono::milliseconds timeout) const;
  // The pass's report; empty until WaitForPass returned true.
  AdRefreshReport report() const;

  // One whole pass on the calling thread.
  static AdRefreshReport RunPass(const Setup& setup);

 private:
  struct Shared;
  std::shared_ptr<Shared> shared_;
};

}  // namespace tembra
