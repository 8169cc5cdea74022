#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace tembra {

// What one advertisement refresh did, for tools and tests; the window
// needs none of it.
struct AdRefreshReport {
  enum class End {
    NoServer,        // no server in use: nothing asked
    ManifestFailed,  // the manifest transfer failed
    NoManifest,      // answer other than 200, empty, or no "result" element
    Done,            // every ad of the manifest was handled
  };
  enum class Action {
    UnknownKey,       // neither slot: skipped
    UpToDate,         // modifyTime not above the stored time, and the stored page exists
    UnknownType,      // type neither 1 nor 2
    LinkStored,       // type 1: the address became the value
    PackageStored,    // type 2: fetched, unpacked, swapped in, value written
    DownloadFailed,   // transport failure, answer other than 200, or too large
    PackageRefused,   // the body was no usable package: old value and folder kept
    WriteFailed,      // the settings file could not be written
  };
  struct Ad {
    std::u16string key;
    std::u16string type;
    int64_t modifyTime = 0;
    int64_t storedTime = 0;
    // The stored value named a page that is not on disk: the ad was applied
    // whatever its time.
    bool pageMissing = false;
    Action action = Action::UnknownKey;
    std::u16string value;  // the value written, when one was
    std::string detail;    // why, for Download/Package/Write failures
  };

  End end = End::NoServer;
  std::string detail;
  std::vector<Ad> ads;
  int messagesSent = 0;  // WM_AD_UPDATED sends that reached a live window

  static const char* Name(End end);
  static const char* Name(Action action);
};

}  // namespace tembra
