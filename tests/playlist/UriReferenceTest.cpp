// Resolution of relative references against a remote playlist's address:
// the reference resolution examples of RFC 3986 (section 5.4), normal and
// abnormal, row by row.
#include <gtest/gtest.h>

#include <string>

#include "playlist/UriReference.h"

namespace tembra {
namespace {

struct Resolution {
  const char* reference;
  const char* target;
};

constexpr const char* kBase = "http://a/b/c/d;p?q";

const Resolution kNormal[] = {
    {"g:h", "g:h"},
    {"g", "http://a/b/c/g"},
    {"./g", "http://a/b/c/g"},
    {"g/", "http://a/b/c/g/"},
    {"/g", "http://a/g"},
    {"//g", "http://g"},
    {"?y", "http://a/b/c/d;p?y"},
    {"g?y", "http://a/b/c/g?y"},
    {"#s", "http://a/b/c/d;p?q#s"},
    {"g#s", "http://a/b/c/g#s"},
    {"g?y#s", "http://a/b/c/g?y#s"},
    {";x", "http://a/b/c/;x"},
    {"g;x", "http://a/b/c/g;x"},
    {"g;x?y#s", "http://a/b/c/g;x?y#s"},
    {"", "http://a/b/c/d;p?q"},
    {".", "http://a/b/c/"},
    {"./", "http://a/b/c/"},
    {"..", "http://a/b/"},
    {"../", "http://a/b/"},
    {"../g", "http://a/b/g"},
    {"../..", "http://a/"},
    {"../../", "http://a/"},
    {"../../g", "http://a/g"},
};

const Resolution kAbnormal[] = {
    {"../../../g", "http://a/g"},
    {"../../../../g", "http://a/g"},
    {"/./g", "http://a/g"},
    {"/../g", "http://a/g"},
    {"g.", "http://a/b/c/g."},
    {".g", "http://a/b/c/.g"},
    {"g..", "http://a/b/c/g.."},
    {"..g", "http://a/b/c/..g"},
    {"./../g", "http://a/b/g"},
    {"./g/.", "http://a/b/c/g/"},
    {"g/./h", "http://a/b/c/g/h"},
    {"g/../h", "http://a/b/c/h"},
    {"g;x=1/./y", "http://a/b/c/g;x=1/y"},
    {"g;x=1/../y", "http://a/b/c/y"},
    {"g?y/./x", "http://a/b/c/g?y/./x"},
    {"g?y/../x", "http://a/b/c/g?y/../x"},
    {"g#s/./x", "http://a/b/c/g#s/./x"},
    {"g#s/../x", "http://a/b/c/g#s/../x"},
    {"http:g", "http:g"},  // the strict reading
};

TEST(UriReference, ResolvesTheNormalExamples) {
  for (const Resolution& r : kNormal) EXPECT_EQ(UriReference::resolve(kBase, r.reference), r.target) << r.reference;
}

TEST(UriReference, ResolvesTheAbnormalExamples) {
  for (const Resolution& r : kAbnormal) EXPECT_EQ(UriReference::resolve(kBase, r.reference), r.target) << r.reference;
}

TEST(UriReference, RemovesDotSegments) {
  const Resolution cases[] = {
      {"/a/b/c/./../../g", "/a/g"}, {"mid/content=5/../6", "mid/6"}, {"/..", "/"},
      {"/a/..", "/"},               {"/a/b/.", "/a/b/"},               {"", ""},
      {"../../x", "x"},             {"/a//b/../c", "/a//c"},
  };
  for (const Resolution& r : cases) EXPECT_EQ(UriReference::removeDotSegments(r.reference), r.target) << r.reference;
}

TEST(UriReference, ResolvesAgainstPlaylistAddresses) {
  const struct {
    const char* base;
    const char* reference;
    const char* target;
  } cases[] = {
      {"http://tv.example/lists/all.m3u?token=1", "live/1.ts", "http://tv.example/lists/live/1.ts"},
      {"http://tv.example/lists/all.m3u?token=1", "../media/1.ts?x=2", "http://tv.example/media/1.ts?x=2"},
      {"http://tv.example:8080", "1.ts", "http://tv.example:8080/1.ts"},  // empty base path
      {"https://tv.example/a/b.m3u#top", "c.ts", "https://tv.example/a/c.ts"},
      {"https://tv.example/a/b.m3u", "//cdn.example/x.ts", "https://cdn.example/x.ts"},
  };
  for (const auto& c : cases) EXPECT_EQ(UriReference::resolve(c.base, c.reference), c.target) << c.reference;
}

}  // namespace
}  // namespace tembra
