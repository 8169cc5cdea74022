#pragma once
#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>
#include <utility>

namespace tembra {

// Writes markup elements to a UTF-16 text: '&', '<' and '>' become entity
// references, in attribute values the quotes too; data written as a CDATA
// section has every "]]>" split across two sections.
//
// Also keeps a result report: AddEntry appends an empty element only while
// the report holds at most kReportLimit characters, so a text with a
// million faults gives a short report.
class XmlReportWriter {
 public:
  using Attribute = std::pair<std::u16string_view, std::u16string_view>;
  static constexpr size_t kReportLimit = 999;

  explicit XmlReportWriter(std::u16string& out) : out_(out) {}

  // False once the report is over the limit; callers skip building entries.
  bool CanAdd() const { return out_.size() <= kReportLimit; }

  void AddEntry(std::u16string_view name, std::initializer_list<Attribute> attributes = {});
  template <typename Range>
  void AddEntryRange(std::u16string_view name, const Range& attributes) {
    if (!CanAdd()) return;
    BeginElement(name);
    for (const auto& a : attributes) WriteAttribute(a.first, a.second);
    out_.append(u"/>");
  }

  // <name attr="v" ...>data</name>, or <name .../> without data.
  void WriteElement(std::u16string_view name, std::initializer_list<Attribute> attributes,
                    std::u16string_view data = {}, bool asCData = false);

  static void AppendEscaped(std::u16string& out, std::u16string_view text, bool inAttribute);
  static void AppendCData(std::u16string& out, std::u16string_view text);
  static std::u16string Number(uint64_t value);

 private:
  void BeginElement(std::u16string_view name);
  void WriteAttribute(std::u16string_view name, std::u16string_view value);

  std::u16string& out_;
};

}  // namespace tembra
