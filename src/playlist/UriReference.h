#pragma once
#include <string>
#include <string_view>

namespace tembra {

// A URI reference split into its five components the generic way (no
// scheme-specific rules), and resolved against a base URI: the strict
// algorithm of RFC 3986 section 5.2 with its dot-segment removal.
class UriReference {
 public:
  explicit UriReference(std::string_view text);

  // The target URI of `reference` taken relative to `base`.
  static std::string resolve(std::string_view base, std::string_view reference);
  // "/a/b/c/./../../g" -> "/a/g"; linear in the path's length.
  static std::string removeDotSegments(std::string_view path);

  std::string_view scheme, authority, path, query, fragment;
  bool hasScheme = false, hasAuthority = false, hasQuery = false, hasFragment = false;

 private:
  static std::string merge(const UriReference& base, std::string_view referencePath);
};

}  // namespace tembra
