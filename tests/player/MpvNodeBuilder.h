#pragma once
#include <mpv/client.h>

#include <deque>
#include <string>
#include <vector>

namespace tembra {

// Builds mpv_node trees as mpv hands them out; keeps every piece alive.
class NodeBuilder {
 public:
  struct Field {
    const char* key;
    mpv_node value;
  };
  mpv_node text(const char* s) {
    mpv_node n{};
    n.format = MPV_FORMAT_STRING;
    n.u.string = const_cast<char*>(strings_.emplace_back(s).c_str());
    return n;
  }
  static mpv_node number(int64_t v) {
    mpv_node n{};
    n.format = MPV_FORMAT_INT64;
    n.u.int64 = v;
    return n;
  }
  static mpv_node flag(bool v) {
    mpv_node n{};
    n.format = MPV_FORMAT_FLAG;
    n.u.flag = v ? 1 : 0;
    return n;
  }
  mpv_node map(std::vector<Field> fields) {
    auto& keys = keys_.emplace_back();
    auto& values = values_.emplace_back();
    for (auto& f : fields) {
      keys.push_back(const_cast<char*>(f.key));
      values.push_back(f.value);
    }
    return list(MPV_FORMAT_NODE_MAP, values, keys.data());
  }
  mpv_node array(std::vector<mpv_node> items) {
    auto& values = values_.emplace_back(std::move(items));
    return list(MPV_FORMAT_NODE_ARRAY, values, nullptr);
  }
  mpv_node track(int64_t id, const char* type, const char* title, const char* lang, bool selected) {
    std::vector<Field> f = {{"id", number(id)}, {"type", text(type)}, {"selected", flag(selected)},
                            {"codec", text("aac")}};
    if (title) f.push_back({"title", text(title)});
    if (lang) f.push_back({"lang", text(lang)});
    return map(std::move(f));
  }

 private:
  mpv_node list(mpv_format format, std::vector<mpv_node>& values, char** keys) {
    auto& l = lists_.emplace_back();
    l.num = static_cast<int>(values.size());
    l.values = values.data();
    l.keys = keys;
    mpv_node n{};
    n.format = format;
    n.u.list = &l;
    return n;
  }
  std::deque<std::string> strings_;
  std::deque<std::vector<char*>> keys_;
  std::deque<std::vector<mpv_node>> values_;
  std::deque<mpv_node_list> lists_;
};

}  // namespace tembra
