#pragma once
#include <cstddef>
#include <string_view>
#include <vector>

#include "xtream/XtreamReply.h"

namespace tembra {

// Reads the JSON replies of a provider account's API the way real servers
// send them: numbers as numbers or as strings, texts missing or null,
// entries without what makes them usable left out. A reply that is not
// JSON, or whose top level is not what the action returns, is an error.
class XtreamReplyParser {
 public:
  static constexpr size_t kMaxAccountBytes = size_t{1} << 20;
  static constexpr size_t kMaxCategoriesBytes = size_t{16} << 20;
  static constexpr size_t kMaxStreamsBytes = size_t{256} << 20;

  // player_api.php without an action: {"user_info": {...}, "server_info": {...}}.
  static XtreamParsed<XtreamUserInfo> account(std::string_view text);
  // get_live_categories: [{"category_id": .., "category_name": ..}, ...].
  static XtreamParsed<std::vector<XtreamCategory>> categories(std::string_view text);
  // get_live_streams: [{"num": .., "name": .., "stream_id": .., ...}, ...], in order.
  static XtreamParsed<std::vector<XtreamStream>> streams(std::string_view text);
};

}  // namespace tembra
