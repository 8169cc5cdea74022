#pragma once
#include <cstdint>
#include <string>

namespace tembra {

// The two ad packages (fix.zip for the right pane, pop.zip for the pop-up
// program) and the ad manifest. The packages are built with libzip at
// start-up into the cache folder and then served from memory.
class AdPackages {
 public:
  // Builds both packages under folder/ads. False with a message on failure.
  bool Build(const std::string& cacheFolder, std::string& error);

  // "fix.zip" or "pop.zip"; null for any other name.
  const std::string* Find(const std::string& name) const;

  // The pcad.action reply. base is "http://127.0.0.1:PORT/".
  static std::string Manifest(const std::string& base, bool rightAsLink, int64_t modifyTime);
  // The page a link-form ad points at.
  static std::string LinkPage();

 private:
  static bool buildOne(const std::string& path, const std::string& title, uint32_t colour,
                       std::string& bytes, std::string& error);

  std::string fix_;
  std::string pop_;
};

}  // namespace tembra
