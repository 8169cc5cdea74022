#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace tembra {

// What the account check answers.
struct XtreamUserInfo {
  bool authorised = false;
  std::string status;                // "Active", "Expired", ...; empty when not said
  std::string message;               // the server's own words, if any
  std::optional<int64_t> expires;    // UTC seconds; none for no end
  std::vector<std::string> formats;  // allowed output formats, as given
};

struct XtreamCategory {
  std::string id;
  std::string name;
};

// One live stream. Texts a reply leaves out or sets to null are empty.
struct XtreamStream {
  std::string streamId;  // digits
  std::string name;
  std::optional<int> number;
  std::string icon;
  std::string epgId;
  std::string categoryId;
  bool archive = false;
  std::optional<int> archiveDays;
};

// A reply read, or why it could not be.
template <typename T>
struct XtreamParsed {
  T value{};
  std::string error;  // in words; empty on success
  bool ok() const { return error.empty(); }
};

}  // namespace tembra
