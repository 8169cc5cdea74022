#include "source/AccountGuide.h"

#include "platform/Utf.h"
#include "xtream/XtreamAccount.h"

namespace tembra {

AccountGuide::AccountGuide(SourceSettings settings, Options options, std::string password)
    : PlaylistGuide(std::move(settings), std::move(options)), password_(std::move(password)) {}

std::string AccountGuide::hidden(std::string text, const std::string& password) {
  if (password.empty()) return text;
  const std::string shown = "password=" + XtreamAccount::percentEncode(password);
  for (size_t at = text.find(shown); at != std::string::npos; at = text.find(shown, at + 1))
    text.replace(at, shown.size(), "password=***");
  return text;
}

std::u16string AccountGuide::statusText() const {
  return fromUtf8(hidden(toUtf8(PlaylistGuide::statusText()), password_));
}

}  // namespace tembra
