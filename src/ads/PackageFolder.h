#pragma once
#include <cstdint>
#include <string>

namespace tembra {

// Puts the content of a downloaded package in place of a slot's folder.
// The archive is unpacked into a fresh hidden folder beside the target and,
// only when every member came out whole, swapped in for the old folder in
// one rename. A package that is no archive, is empty, declares more than
// kMaxUnpackedBytes or has a member that fails leaves the old folder as it
// was. Leftovers of a pass that was cut short (the process ended during it)
// are removed by the next Install of the same folder.
class PackageFolder {
 public:
  static constexpr uint64_t kMaxUnpackedBytes = 256ull << 20;

  struct Result {
    bool installed = false;
    std::string problem;  // why not, for people reading a report
    uint32_t members = 0;
  };

  // archive: the downloaded file; folder: the full path of the slot's
  // folder (e.g. program folder + "Advertise/Fix"), created with its parent
  // when missing.
  static Result Install(const std::string& archive, const std::string& folder);

  // Removes hidden temporary folders and files that an earlier, interrupted
  // Install or download left beside folder.
  static void RemoveLeftovers(const std::string& folder);
};

}  // namespace tembra
