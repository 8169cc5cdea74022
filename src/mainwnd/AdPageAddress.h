#pragma once
#include <optional>
#include <string>
#include <string_view>

namespace tembra {

// Where the right-hand ad pane goes for the stored WEB_TV_AD_RIGHT value:
// the page part (after the first "<EOF>", or the whole value), lower-cased
// when it holds a web address, else a page below the program folder.
//
// A local page keeps its case and gets '/' for '\': the value is written
// with the folder name "Advertise\Fix", which on this platform's
// case-sensitive file system is not "advertise/fix".
struct AdPage {
  bool remote = false;     // address is a web address; else an absolute path
  std::u16string address;
};

class AdPageAddress {
 public:
  // Nothing for an empty page part, or a local page that would leave the
  // program folder ("..").
  static std::optional<AdPage> Resolve(std::u16string_view value, std::u16string_view programFolder);
};

}  // namespace tembra
