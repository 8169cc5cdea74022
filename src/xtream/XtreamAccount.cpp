#include "xtream/XtreamAccount.h"

namespace tembra {

std::string XtreamAccount::percentEncode(std::string_view text) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string out;
  out.reserve(text.size());
  for (char ch : text) {
    const auto c = static_cast<unsigned char>(ch);
    const bool unreserved = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' ||
                            c == '.' || c == '_' || c == '~';
    if (unreserved) {
      out += ch;
    } else {
      out += '%';
      out += kHex[c >> 4];
      out += kHex[c & 0xF];
    }
  }
  return out;
}

std::string XtreamAccount::base() const {
  std::string_view text = server;
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == '/')) text.remove_suffix(1);
  std::string out(text);
  if (out.find("://") == std::string::npos) out.insert(0, "http://");
  return out;
}

std::string XtreamAccount::apiUrl(std::string_view action) const {
  std::string url = base() + "/player_api.php?username=" + percentEncode(user) + "&password=" + percentEncode(password);
  if (!action.empty()) url += "&action=" + percentEncode(action);
  return url;
}

std::string XtreamAccount::streamUrl(std::string_view streamId, bool m3u8) const {
  return base() + "/live/" + percentEncode(user) + "/" + percentEncode(password) + "/" + percentEncode(streamId) +
         (m3u8 ? ".m3u8" : ".ts");
}

std::string XtreamAccount::guideUrl() const {
  return base() + "/xmltv.php?username=" + percentEncode(user) + "&password=" + percentEncode(password);
}

}  // namespace tembra
