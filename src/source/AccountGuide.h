#pragma once
#include <string>

#include "source/PlaylistGuide.h"

namespace tembra {

// A provider account's guide: the playlist guide of its xmltv.php, whose
// messages never show the password that address carries.
class AccountGuide : public PlaylistGuide {
 public:
  AccountGuide(SourceSettings settings, Options options, std::string password);

  std::u16string statusText() const override;

  // text with the password of the guide's address ("password=...",
  // percent-encoded as the address has it) replaced by "***".
  static std::string hidden(std::string text, const std::string& password);

 private:
  const std::string password_;
};

}  // namespace tembra
