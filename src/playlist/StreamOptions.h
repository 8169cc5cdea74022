#pragma once
#include <string>
#include <string_view>

namespace tembra {

// The request headers some playlists append to a stream's address:
// "http://host/a.ts|User-Agent=VLC%2F3.0&Referer=http://site/". Options
// are separated by "&" or "|"; names ignore case; values are
// percent-decoded and lose their surrounding quotes.
class StreamOptions {
 public:
  // Splits a playlist address line at its first "|": the address (trimmed)
  // and the options text after the bar (empty when there is none).
  static std::string_view addressPart(std::string_view line, std::string_view& optionsText);

  // Reads the options text; unknown names are passed over.
  explicit StreamOptions(std::string_view optionsText);

  std::string userAgent, referrer;  // empty when not given

  // "%41" -> "A"; a "%" not followed by two hex digits stays as it is.
  static std::string percentDecoded(std::string_view text);
};

}  // namespace tembra
