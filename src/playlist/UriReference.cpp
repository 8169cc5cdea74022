#include "playlist/UriReference.h"

#include <algorithm>

namespace tembra {

UriReference::UriReference(std::string_view text) {
  // The component split of the RFC's appendix B:
  // ^(([^:/?#]+):)?(//([^/?#]*))?([^?#]*)(\?([^#]*))?(#(.*))?
  size_t i = 0;
  const size_t schemeEnd = text.find_first_of(":/?#");
  if (schemeEnd != std::string_view::npos && schemeEnd > 0 && text[schemeEnd] == ':') {
    scheme = text.substr(0, schemeEnd);
    hasScheme = true;
    i = schemeEnd + 1;
  }
  if (text.substr(i, 2) == "//") {
    const size_t end = std::min(text.find_first_of("/?#", i + 2), text.size());
    authority = text.substr(i + 2, end - i - 2);
    hasAuthority = true;
    i = end;
  }
  const size_t pathEnd = std::min(text.find_first_of("?#", i), text.size());
  path = text.substr(i, pathEnd - i);
  i = pathEnd;
  if (i < text.size() && text[i] == '?') {
    const size_t end = std::min(text.find('#', i), text.size());
    query = text.substr(i + 1, end - i - 1);
    hasQuery = true;
    i = end;
  }
  if (i < text.size() && text[i] == '#') {
    fragment = text.substr(i + 1);
    hasFragment = true;
  }
}

std::string UriReference::removeDotSegments(std::string_view in) {
  std::string out;
  out.reserve(in.size());
  const auto popSegment = [&out] {
    const size_t slash = out.rfind('/');
    out.resize(slash == std::string::npos ? 0 : slash);
  };
  size_t i = 0;
  while (i < in.size()) {
    const std::string_view rest = in.substr(i);
    if (rest.starts_with("../")) {
      i += 3;
    } else if (rest.starts_with("./")) {
      i += 2;
    } else if (rest.starts_with("/./")) {
      i += 2;  // leaves the "/" in front of what follows
    } else if (rest == "/.") {
      out += '/';
      break;
    } else if (rest.starts_with("/../")) {
      i += 3;
      popSegment();
    } else if (rest == "/..") {
      popSegment();
      out += '/';
      break;
    } else if (rest == "." || rest == "..") {
      break;
    } else {
      const size_t end = std::min(rest.find('/', 1), rest.size());
      out.append(rest.substr(0, end));
      i += end;
    }
  }
  return out;
}

std::string UriReference::merge(const UriReference& base, std::string_view referencePath) {
  if (base.hasAuthority && base.path.empty()) return "/" + std::string(referencePath);
  const size_t slash = base.path.rfind('/');
  std::string merged(slash == std::string_view::npos ? std::string_view() : base.path.substr(0, slash + 1));
  merged.append(referencePath);
  return merged;
}

std::string UriReference::resolve(std::string_view baseText, std::string_view referenceText) {
  const UriReference base(baseText);
  const UriReference ref(referenceText);
  std::string_view scheme, authority, query;
  bool hasAuthority = false, hasQuery = false;
  std::string path;
  if (ref.hasScheme) {
    scheme = ref.scheme;
    authority = ref.authority;
    hasAuthority = ref.hasAuthority;
    path = removeDotSegments(ref.path);
    query = ref.query;
    hasQuery = ref.hasQuery;
  } else {
    scheme = base.scheme;
    if (ref.hasAuthority) {
      authority = ref.authority;
      hasAuthority = true;
      path = removeDotSegments(ref.path);
      query = ref.query;
      hasQuery = ref.hasQuery;
    } else {
      authority = base.authority;
      hasAuthority = base.hasAuthority;
      if (ref.path.empty()) {
        path = base.path;
        query = ref.hasQuery ? ref.query : base.query;
        hasQuery = ref.hasQuery || base.hasQuery;
      } else {
        path = ref.path.front() == '/' ? removeDotSegments(ref.path) : removeDotSegments(merge(base, ref.path));
        query = ref.query;
        hasQuery = ref.hasQuery;
      }
    }
  }

  std::string out;
  out.reserve(baseText.size() + referenceText.size());
  if (ref.hasScheme || base.hasScheme) {
    out.append(scheme);
    out += ':';
  }
  if (hasAuthority) {
    out += "//";
    out.append(authority);
  }
  out.append(path);
  if (hasQuery) {
    out += '?';
    out.append(query);
  }
  if (ref.hasFragment) {
    out += '#';
    out.append(ref.fragment);
  }
  return out;
}

}  // namespace tembra
