#include "xtream/XtreamReplyParser.h"

#include <simdjson.h>

#include <charconv>
#include <cmath>
#include <limits>

#include "playlist/Utf8Repair.h"

namespace tembra {

namespace {

using simdjson::dom::element;
using simdjson::dom::element_type;
using simdjson::dom::object;

struct Document {
  simdjson::dom::parser parser;
  element root;
  std::string error;
};

bool parse(std::string_view text, size_t cap, Document& doc) {
  if (text.size() > cap) {
    doc.error = "the server's answer is larger than " + std::to_string(cap >> 20) + " MB";
    return false;
  }
  // A name in another encoding should not cost the whole list: bytes that
  // are not UTF-8 become U+FFFD before the strict parser sees them.
  std::string repaired;
  if (!Utf8Repair::isValid(text)) {
    repaired = Utf8Repair::repaired(text);
    text = repaired;
  }
  const simdjson::padded_string padded(text);
  if (const auto error = doc.parser.parse(padded).get(doc.root); error) {
    doc.error = error == simdjson::EMPTY ? "the server's answer is empty"
                                         : std::string("the server's answer is not JSON (") +
                                               simdjson::error_message(error) + ")";
    return false;
  }
  return true;
}

// A member that is there and not null.
std::optional<element> member(const object& o, std::string_view key) {
  element e;
  if (o.at_key(key).get(e) != simdjson::SUCCESS || e.is_null()) return std::nullopt;
  return e;
}

std::string_view trimmed(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
  return text;
}

// A whole number given as a number or as a string of digits ("3", "-1");
// fractions, words and values out of range are none.
std::optional<int64_t> integer(const std::optional<element>& e) {
  if (!e) return std::nullopt;
  switch (e->type()) {
    case element_type::INT64:
      return int64_t(*e);
    case element_type::UINT64: {
      const uint64_t v = uint64_t(*e);
      if (v > static_cast<uint64_t>(std::numeric_limits<int64_t>::max())) return std::nullopt;
      return static_cast<int64_t>(v);
    }
    case element_type::DOUBLE: {
      const double v = double(*e);
      if (!std::isfinite(v) || v != std::floor(v) || std::fabs(v) > 9.0e15) return std::nullopt;
      return static_cast<int64_t>(v);
    }
    case element_type::BOOL:
      return bool(*e) ? 1 : 0;
    case element_type::STRING: {
      std::string_view text = trimmed(std::string_view(*e));
      if (!text.empty() && text.front() == '+') text.remove_prefix(1);
      int64_t v = 0;
      const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), v);
      if (text.empty() || ec != std::errc() || end != text.data() + text.size()) return std::nullopt;
      return v;
    }
    default:
      return std::nullopt;
  }
}

std::optional<int> smallInteger(const std::optional<element>& e) {
  const std::optional<int64_t> v = integer(e);
  if (!v || *v < std::numeric_limits<int>::min() || *v > std::numeric_limits<int>::max()) return std::nullopt;
  return static_cast<int>(*v);
}

// A text given as a string or a number; anything else (null, missing, an
// object) is empty.
std::string text(const std::optional<element>& e) {
  if (!e) return {};
  switch (e->type()) {
    case element_type::STRING:
      return std::string(std::string_view(*e));
    case element_type::INT64:
      return std::to_string(int64_t(*e));
    case element_type::UINT64:
      return std::to_string(uint64_t(*e));
    case element_type::DOUBLE: {
      const std::optional<int64_t> whole = integer(e);
      if (whole) return std::to_string(*whole);
      char buffer[32];
      const auto result = std::to_chars(buffer, buffer + sizeof buffer, double(*e));
      return std::string(buffer, result.ptr);
    }
    default:
      return {};
  }
}

std::string wrongTop(const char* what) {
  return std::string("the server's answer is not ") + what;
}

}  // namespace

XtreamParsed<XtreamUserInfo> XtreamReplyParser::account(std::string_view reply) {
  XtreamParsed<XtreamUserInfo> out;
  Document doc;
  if (!parse(reply, kMaxAccountBytes, doc)) {
    out.error = doc.error;
    return out;
  }
  object top;
  object info;
  if (doc.root.get(top) != simdjson::SUCCESS || top.at_key("user_info").get(info) != simdjson::SUCCESS) {
    out.error = wrongTop("an account's details (no user_info)");
    return out;
  }
  XtreamUserInfo& user = out.value;
  user.status = text(member(info, "status"));
  // Servers say "auth"; one that leaves it out still says whether the
  // account is active.
  const std::optional<int64_t> auth = integer(member(info, "auth"));
  user.authorised = auth ? *auth == 1 : (user.status == "Active" || user.status == "active");
  user.message = text(member(info, "message"));
  const std::optional<int64_t> expires = integer(member(info, "exp_date"));
  if (expires && *expires > 0) user.expires = expires;
  simdjson::dom::array formats;
  if (info.at_key("allowed_output_formats").get(formats) == simdjson::SUCCESS) {
    for (element f : formats) {
      std::string format = text(f);
      if (!format.empty() && user.formats.size() < 32) user.formats.push_back(std::move(format));
    }
  }
  return out;
}

XtreamParsed<std::vector<XtreamCategory>> XtreamReplyParser::categories(std::string_view reply) {
  XtreamParsed<std::vector<XtreamCategory>> out;
  Document doc;
  if (!parse(reply, kMaxCategoriesBytes, doc)) {
    out.error = doc.error;
    return out;
  }
  simdjson::dom::array list;
  if (doc.root.get(list) != simdjson::SUCCESS) {
    out.error = wrongTop("a list of categories");
    return out;
  }
  for (element e : list) {
    object o;
    if (e.get(o) != simdjson::SUCCESS) continue;
    XtreamCategory category;
    category.id = text(member(o, "category_id"));
    category.name = text(member(o, "category_name"));
    if (category.id.empty()) continue;
    out.value.push_back(std::move(category));
  }
  return out;
}

XtreamParsed<std::vector<XtreamStream>> XtreamReplyParser::streams(std::string_view reply) {
  XtreamParsed<std::vector<XtreamStream>> out;
  Document doc;
  if (!parse(reply, kMaxStreamsBytes, doc)) {
    out.error = doc.error;
    return out;
  }
  simdjson::dom::array list;
  if (doc.root.get(list) != simdjson::SUCCESS) {
    out.error = wrongTop("a list of streams");
    return out;
  }
  out.value.reserve(list.size());
  for (element e : list) {
    object o;
    if (e.get(o) != simdjson::SUCCESS) continue;
    XtreamStream stream;
    const std::optional<int64_t> id = integer(member(o, "stream_id"));
    stream.name = text(member(o, "name"));
    if (!id || *id < 0 || stream.name.empty()) continue;
    stream.streamId = std::to_string(*id);
    stream.number = smallInteger(member(o, "num"));
    stream.icon = text(member(o, "stream_icon"));
    stream.epgId = text(member(o, "epg_channel_id"));
    stream.categoryId = text(member(o, "category_id"));
    stream.archive = integer(member(o, "tv_archive")).value_or(0) == 1;
    stream.archiveDays = smallInteger(member(o, "tv_archive_duration"));
    out.value.push_back(std::move(stream));
  }
  return out;
}

}  // namespace tembra
