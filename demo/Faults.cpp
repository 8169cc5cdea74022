#include "Faults.h"

#include <utility>
#include <vector>

namespace tembra {

const std::array<Faults::Info, Faults::Count>& Faults::Table() {
  static const std::array<Info, Count> table{{
      {"refuse-signin", "sign-in answers <Result>0</Result> with an empty session"},
      {"signin-no-tags", "sign-in answers <Result>1</Result> without the <Uuid> tags"},
      {"signin-unconfirmed", "sign-in issues a session but answers <Result>0</Result>"},
      {"hang-signin", "sign-in holds the connection without answering"},
      {"slow-signin", "sign-in trickles its answer"},
      {"empty-catalogue", "the catalogue is <channels/> with no groups"},
      {"catalogue-404", "the catalogue answers a 404 page"},
      {"catalogue-500", "the catalogue answers a 500 page"},
      {"hang-catalogue", "the catalogue holds the connection without answering"},
      {"slow-catalogue", "the catalogue trickles its answer"},
      {"guide-404", "the guide answers a 404 page"},
      {"guide-500", "the guide answers a 500 page"},
      {"guide-malformed", "the guide answers ill-formed, cut-off XML"},
      {"hang-guide", "the guide holds the connection without answering"},
      {"slow-guide", "the guide trickles its answer"},
      {"ads-404", "the ad manifest and packages answer 404 pages"},
      {"ads-500", "the ad manifest and packages answer 500 pages"},
      {"hang-ads", "the ad manifest and packages hold the connection"},
      {"slow-ads", "the ad manifest and packages trickle their answer"},
      {"stats-500", "statistics uploads are answered with 500 and not stored"},
      {"hang-stats", "statistics uploads hold the connection without answering"},
      {"hang-time", "/getTime holds the connection without answering"},
      {"slow-time", "/getTime trickles its answer"},
      {"stream-404", "channel streams answer 404"},
      {"playlist-404", "the M3U playlist (plain and .gz) answers a 404 page"},
      {"playlist-hang", "the M3U playlist holds the connection without answering"},
      {"playlist-slow", "the M3U playlist trickles its answer"},
      {"playlist-not-m3u", "the M3U playlist answers an HTML page with status 200"},
      {"epg-404", "the XMLTV guide (plain and .gz) answers a 404 page"},
      {"epg-hang", "the XMLTV guide holds the connection without answering"},
      {"epg-slow", "the XMLTV guide trickles its answer"},
      {"epg-truncated", "the XMLTV guide breaks off half way (gzip without its end)"},
      {"epg-not-gzip", "/epg.xml.gz answers plain, uncompressed XML"},
      {"epg-garbage", "the XMLTV guide answers bytes that are neither gzip nor XML"},
      {"epg-wrong-tz", "XMLTV times say +0300 on UTC clock times: 3 h early"},
      {"xtream-refused", "player_api.php refuses the account ({\"user_info\": {\"auth\": 0}})"},
      {"xtream-expired", "player_api.php says the account expired yesterday"},
      {"xtream-bad-json", "player_api.php answers a page that is not JSON (status 200)"},
      {"xtream-wrong-shape", "player_api.php's lists come as objects instead of arrays"},
      {"xtream-hang", "player_api.php and xmltv.php hold the connection without answering"},
      {"xtream-slow", "player_api.php trickles its answers"},
  }};
  return table;
}

std::optional<Faults::Id> Faults::Find(std::string_view name) {
  const auto& table = Table();
  for (size_t i = 0; i < table.size(); ++i)
    if (name == table[i].name) return static_cast<Id>(i);
  return std::nullopt;
}

std::string Faults::ApplyForm(std::string_view body) {
  std::vector<std::pair<Id, bool>> changes;
  while (!body.empty()) {
    size_t amp = body.find('&');
    std::string_view pair = body.substr(0, amp);
    body = amp == std::string_view::npos ? std::string_view() : body.substr(amp + 1);
    while (!pair.empty() && (pair.back() == '\n' || pair.back() == '\r')) pair.remove_suffix(1);
    if (pair.empty()) continue;
    size_t eq = pair.find('=');
    std::string_view name = pair.substr(0, eq);
    std::string_view value = eq == std::string_view::npos ? "1" : pair.substr(eq + 1);
    auto id = Find(name);
    if (!id) return "unknown fault: " + std::string(name);
    if (value != "0" && value != "1")
      return "value of " + std::string(name) + " must be 0 or 1";
    changes.emplace_back(*id, value == "1");
  }
  for (auto [id, value] : changes) set(id, value);
  return {};
}

std::string Faults::Describe() const {
  std::string out;
  const auto& table = Table();
  for (size_t i = 0; i < table.size(); ++i) {
    out += table[i].name;
    out += on(static_cast<Id>(i)) ? "=1\n" : "=0\n";
  }
  return out;
}

}  // namespace tembra
