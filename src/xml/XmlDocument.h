#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace tembra {

// The program's XML document: one UTF-16 text indexed by a single tolerant
// parse pass into paged 32-byte element records, navigated with three
// cursors (parent, main, child). Parsing never fails outright: problems are
// entries of the result report and the rest of the document stays usable.
class XmlDocument {
 public:
  // docFlags bits
  static constexpr uint32_t kIgnoreCase = 0x8;
  static constexpr uint32_t kReadFile = 0x10;
  static constexpr uint32_t kWriteFile = 0x20;

  // record flag bits (upper half of the level/flags word)
  static constexpr uint32_t kFirstChild = 1u << 19;
  static constexpr uint32_t kUnended = 1u << 20;
  static constexpr uint32_t kIllData = 1u << 21;
  static constexpr uint32_t kIllFormed = 1u << 23;

  XmlDocument();
  explicit XmlDocument(std::u16string_view text);
  ~XmlDocument();
  XmlDocument(const XmlDocument&) = delete;
  XmlDocument& operator=(const XmlDocument&) = delete;

  // Replaces the text, empties the report, resets the cursors, builds the
  // index. True when well-formed.
  bool Parse(std::u16string_view text);
  // Reads a file in any supported encoding, then parses it. True when read
  // and well-formed; the report tells what happened either way.
  bool LoadFile(const std::string& path);

  void SetDocFlags(uint32_t flags);
  uint32_t GetDocFlags() const;

  // Back to the top level, before the first element.
  void ResetPos();
  bool FindSibling(std::u16string_view name = {});
  bool FindChild(std::u16string_view name = {});
  bool EnterChild();
  bool LeaveToParent();

  std::u16string ReadText() const;
  std::u16string ReadChildText() const;
  std::u16string ReadAttribute(std::u16string_view name) const;
  std::u16string ReadChildAttribute(std::u16string_view name) const;
  std::u16string ReadTagName() const;
  std::u16string ReadChildTagName() const;

  const std::u16string& ResultReport() const;
  const std::u16string& DocText() const;
  bool IsWellFormed() const;

  // Inspection of the index, in document order (record 1 onwards), for
  // tools that show what the parser saw.
  struct ElementInfo {
    uint32_t level = 0;
    std::u16string name;
    uint32_t start = 0;
    uint32_t length = 0;
    uint32_t flags = 0;  // kFirstChild | kUnended | kIllData
  };
  size_t ElementCount() const;           // records in use, record 0 excluded
  ElementInfo Element(size_t index) const;  // index 1 .. ElementCount()

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace tembra
