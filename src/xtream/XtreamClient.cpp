#include "xtream/XtreamClient.h"

#include <ctime>

#include "xtream/XtreamLineUp.h"
#include "xtream/XtreamReplyParser.h"

namespace tembra {

namespace {

std::string lower(std::string text) {
  for (char& c : text)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return text;
}

std::string dateOf(int64_t utc) {
  const std::time_t t = static_cast<std::time_t>(utc);
  std::tm fields{};
  localtime_r(&t, &fields);
  char text[32];
  const size_t n = std::strftime(text, sizeof text, "%Y-%m-%d", &fields);
  return std::string(text, n);
}

// What a reply was asked for, for the messages.
std::string whatOf(std::string_view action) {
  if (action.empty()) return "the account check";
  if (action == "get_live_categories") return "the list of categories";
  return "the list of channels";
}

}  // namespace

XtreamClient::XtreamClient(XtreamAccount account, Options options)
    : account_(std::move(account)), options_(std::move(options)) {}

std::string XtreamClient::accountProblem(const XtreamUserInfo& user, int64_t now) {
  const std::string said = user.message.empty() ? std::string() : " The server says: " + user.message;
  if (!user.authorised) return "The server refused the account: wrong user name or password, or no such account." + said;
  const std::string status = lower(user.status);
  if (status == "expired" || (user.expires && *user.expires <= now)) {
    return (user.expires ? "The account expired on " + dateOf(*user.expires) + "." : std::string("The account has expired.")) +
           said;
  }
  if (!status.empty() && status != "active") return "The account is not active (" + user.status + ")." + said;
  return {};
}

bool XtreamClient::fetch(std::string_view action, size_t cap, std::stop_token stop, std::string& body,
                         Result& result) const {
  FetchRequest request;
  request.location = account_.apiUrl(action);
  request.userAgent = options_.userAgent;
  request.limits = options_.limits;
  request.limits.maxBytes = cap;
  body.clear();
  const FetchResult fetched = fetchWhole(request, stop, body);
  if (fetched.ok()) return true;
  if (fetched.error == FetchError::HttpStatus && (fetched.httpStatus == 401 || fetched.httpStatus == 403)) {
    result.refused = true;
    result.problem = "The server refused the account (" + fetched.words() + ").";
  } else if (fetched.error == FetchError::TooLarge) {
    result.problem = "The server's answer to " + whatOf(action) + " is too large (" + fetched.words() + ").";
  } else {
    result.problem = "The account's server could not be reached for " + whatOf(action) + ": " + fetched.words() + ".";
  }
  return false;
}

XtreamClient::Result XtreamClient::load(std::stop_token stop) const {
  Result result;
  std::string body;
  if (!fetch({}, XtreamReplyParser::kMaxAccountBytes, stop, body, result)) return result;
  XtreamParsed<XtreamUserInfo> user = XtreamReplyParser::account(body);
  if (!user.ok()) {
    result.problem = "The account's server sent a bad answer to the account check: " + user.error + ".";
    return result;
  }
  result.user = std::move(user.value);
  const int64_t now = options_.now ? options_.now() : static_cast<int64_t>(std::time(nullptr));
  result.problem = accountProblem(result.user, now);
  if (!result.ok()) {
    result.refused = true;
    return result;
  }
  if (!fetch("get_live_categories", XtreamReplyParser::kMaxCategoriesBytes, stop, result.categoriesReply, result))
    return result;
  if (!fetch("get_live_streams", XtreamReplyParser::kMaxStreamsBytes, stop, result.streamsReply, result))
    return result;
  const XtreamParsed<std::vector<XtreamCategory>> categories = XtreamReplyParser::categories(result.categoriesReply);
  if (!categories.ok()) {
    result.problem = "The account's server sent a bad answer to the list of categories: " + categories.error + ".";
    return result;
  }
  XtreamParsed<std::vector<XtreamStream>> streams = XtreamReplyParser::streams(result.streamsReply);
  if (!streams.ok()) {
    result.problem = "The account's server sent a bad answer to the list of channels: " + streams.error + ".";
    return result;
  }
  result.playlist = XtreamLineUp::playlist(account_, result.user.formats, categories.value, std::move(streams.value));
  return result;
}

std::optional<Playlist> XtreamClient::fromReplies(const XtreamAccount& account, const std::vector<std::string>& formats,
                                                  std::string_view categoriesReply, std::string_view streamsReply) {
  const XtreamParsed<std::vector<XtreamCategory>> categories = XtreamReplyParser::categories(categoriesReply);
  XtreamParsed<std::vector<XtreamStream>> streams = XtreamReplyParser::streams(streamsReply);
  if (!categories.ok() || !streams.ok()) return std::nullopt;
  return XtreamLineUp::playlist(account, formats, categories.value, std::move(streams.value));
}

}  // namespace tembra
