#include "xml/DeclaredEncoding.h"

#include <optional>

#include "xml/Utf8Text.h"

namespace tembra {

namespace {

bool isSpace(char16_t c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

char16_t lower(char16_t c) { return c >= 'A' && c <= 'Z' ? static_cast<char16_t>(c - 'A' + 'a') : c; }

bool equalsIgnoringCase(std::u16string_view a, std::u16string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (lower(a[i]) != lower(b[i])) return false;
  }
  return true;
}

bool isNameStart(char16_t c) {
  return c == ':' || c == '_' || !(c <= 0x40 || (c >= 0x5B && c <= 0x60));
}

bool endsName(char16_t c) { return isSpace(c) || c == '=' || c == '/' || c == '>' || c == '?'; }

enum class TokenKind { Text, StartTag, EndTag, Instruction, Other, Error };

struct Token {
  TokenKind kind = TokenKind::Error;
  size_t begin = 0;
  size_t end = 0;           // one past the token
  std::u16string_view name;  // tag name or instruction target
  size_t attrsBegin = 0;     // attribute area of a tag or instruction
  size_t attrsEnd = 0;
};

// A small tokenizer for the head of a document: text runs, tags whose ">"
// lies outside quoted values, comments, CDATA sections, processing
// instructions and document type declarations, with the same notion of a
// syntax error as the document parser. It only needs to find the tokens,
// not to index them.
class HeadScanner {
 public:
  explicit HeadScanner(std::u16string_view text) : t_(text) {}

  bool atEnd() const { return pos_ >= t_.size(); }

  Token next() {
    Token tok;
    tok.begin = pos_;
    const size_t n = t_.size();
    if (t_[pos_] != '<') {
      size_t lt = t_.find(u'<', pos_);
      tok.kind = TokenKind::Text;
      tok.end = lt == std::u16string_view::npos ? n : lt;
      pos_ = tok.end;
      return tok;
    }
    if (pos_ + 1 >= n) return fail(tok);
    const char16_t c = t_[pos_ + 1];
    if (c == '?') {
      size_t close = t_.find(u"?>", pos_ + 2);
      if (close == std::u16string_view::npos) return fail(tok);
      tok.kind = TokenKind::Instruction;
      size_t nameEnd = pos_ + 2;
      while (nameEnd < close && !endsName(t_[nameEnd])) ++nameEnd;
      tok.name = t_.substr(pos_ + 2, nameEnd - (pos_ + 2));
      tok.attrsBegin = nameEnd;
      tok.attrsEnd = close;
      return finish(tok, close + 2);
    }
    if (c == '!') return markupDeclaration(tok);
    if (c == '/') {
      size_t close = tagClose(pos_ + 2);
      if (close == std::u16string_view::npos) return fail(tok);
      tok.kind = TokenKind::EndTag;
      size_t nameEnd = pos_ + 2;
      while (nameEnd < close && !endsName(t_[nameEnd])) ++nameEnd;
      tok.name = t_.substr(pos_ + 2, nameEnd - (pos_ + 2));
      return finish(tok, close + 1);
    }
    if (!isNameStart(c)) return fail(tok);
    size_t close = tagClose(pos_ + 1);
    if (close == std::u16string_view::npos) return fail(tok);
    tok.kind = TokenKind::StartTag;
    size_t nameEnd = pos_ + 1;
    while (nameEnd < close && !endsName(t_[nameEnd])) ++nameEnd;
    tok.name = t_.substr(pos_ + 1, nameEnd - (pos_ + 1));
    tok.attrsBegin = nameEnd;
    tok.attrsEnd = close;
    return finish(tok, close + 1);
  }

  // The value of attribute `name` (ignoring case) in [begin, end): quoted
  // or an unquoted run up to whitespace.
  std::optional<std::u16string_view> attribute(const Token& tok, std::u16string_view name) const {
    size_t i = tok.attrsBegin;
    const size_t end = tok.attrsEnd;
    while (i < end) {
      while (i < end && (isSpace(t_[i]) || t_[i] == '/' || t_[i] == '?')) ++i;
      if (i >= end) break;
      size_t nameBegin = i;
      while (i < end && !isSpace(t_[i]) && t_[i] != '=' && t_[i] != '/') ++i;
      std::u16string_view attrName = t_.substr(nameBegin, i - nameBegin);
      if (i == nameBegin) ++i;  // a stray '=' with no name before it
      while (i < end && isSpace(t_[i])) ++i;
      std::u16string_view value;
      bool hasValue = false;
      if (i < end && t_[i] == '=') {
        ++i;
        while (i < end && isSpace(t_[i])) ++i;
        hasValue = true;
        if (i < end && (t_[i] == '"' || t_[i] == '\'')) {
          const char16_t q = t_[i];
          size_t close = t_.find(q, i + 1);
          if (close == std::u16string_view::npos || close > end) close = end;
          value = t_.substr(i + 1, close - (i + 1));
          i = close < end ? close + 1 : end;
        } else {
          size_t vb = i;
          while (i < end && !isSpace(t_[i])) ++i;
          value = t_.substr(vb, i - vb);
        }
      }
      if (hasValue && !attrName.empty() && equalsIgnoringCase(attrName, name)) return value;
    }
    return std::nullopt;
  }

 private:
  Token fail(Token& tok) {
    tok.kind = TokenKind::Error;
    pos_ = t_.size();
    return tok;
  }

  Token finish(Token& tok, size_t end) {
    tok.end = end;
    pos_ = end;
    return tok;
  }

  // The ">" that ends a tag, skipping quoted values.
  size_t tagClose(size_t from) const {
    char16_t quote = 0;
    for (size_t i = from; i < t_.size(); ++i) {
      const char16_t c = t_[i];
      if (quote) {
        if (c == quote) quote = 0;
      } else if (c == '"' || c == '\'') {
        quote = c;
      } else if (c == '>') {
        return i;
      }
    }
    return std::u16string_view::npos;
  }

  Token markupDeclaration(Token& tok) {
    const size_t n = t_.size();
    const size_t p = pos_;
    if (p + 2 >= n) return fail(tok);
    const char16_t c = t_[p + 2];
    size_t close;
    tok.kind = TokenKind::Other;
    if (c == '-') {
      if (p + 3 >= n || t_[p + 3] != '-') return fail(tok);
      close = t_.find(u"-->", p + 4);
      if (close == std::u16string_view::npos) return fail(tok);
      return finish(tok, close + 3);
    }
    if (c == '[') {
      if (p + 3 >= n || t_[p + 3] != 'C') return fail(tok);
      close = t_.find(u"]]>", p + 4);
      if (close == std::u16string_view::npos) return fail(tok);
      return finish(tok, close + 3);
    }
    if (c == 'D') {
      int depth = 0;
      for (size_t i = p + 3; i < n; ++i) {
        const char16_t d = t_[i];
        if (d == '[') ++depth;
        else if (d == ']' && depth > 0) --depth;
        else if (d == '<' && depth == 0) return fail(tok);
        else if (d == '>' && depth == 0) return finish(tok, i + 1);
      }
      return fail(tok);
    }
    return fail(tok);
  }

  std::u16string_view t_;
  size_t pos_ = 0;
};

// "text/html; charset=windows-1251" -> "windows-1251".
std::u16string charsetOf(std::u16string_view content) {
  static constexpr std::u16string_view kWord = u"charset";
  for (size_t i = 0; i + kWord.size() <= content.size(); ++i) {
    if (!equalsIgnoringCase(content.substr(i, kWord.size()), kWord)) continue;
    size_t j = i + kWord.size();
    while (j < content.size() && isSpace(content[j])) ++j;
    if (j >= content.size() || content[j] != '=') continue;
    ++j;
    while (j < content.size() && isSpace(content[j])) ++j;
    if (j < content.size() && (content[j] == '"' || content[j] == '\'')) ++j;
    size_t b = j;
    while (j < content.size() && !isSpace(content[j]) && content[j] != ';' && content[j] != '"' &&
           content[j] != '\'')
      ++j;
    return std::u16string(content.substr(b, j - b));
  }
  return {};
}

}  // namespace

std::u16string DeclaredEncoding::Find(std::string_view leadingBytes) {
  std::u16string text;
  Utf8Text::Decode(leadingBytes.substr(0, kScanBytes), text);
  return FindInText(text);
}

std::u16string DeclaredEncoding::FindInText(std::u16string_view text) {
  HeadScanner scan(text);
  bool sawStartTag = false;
  bool first = true;
  while (!scan.atEnd()) {
    Token tok = scan.next();
    if (tok.kind == TokenKind::Error) return {};
    if (first && tok.kind == TokenKind::Instruction && equalsIgnoringCase(tok.name, u"xml")) {
      auto enc = scan.attribute(tok, u"encoding");
      return enc ? std::u16string(*enc) : std::u16string();
    }
    first = false;
    if (tok.kind == TokenKind::EndTag) {
      if (equalsIgnoringCase(tok.name, u"head")) return {};
      continue;
    }
    if (tok.kind != TokenKind::StartTag) continue;
    if (!sawStartTag) {
      if (!equalsIgnoringCase(tok.name, u"html")) return {};
      sawStartTag = true;
      continue;
    }
    if (!equalsIgnoringCase(tok.name, u"meta")) continue;
    auto equiv = scan.attribute(tok, u"http-equiv");
    if (!equiv || !equalsIgnoringCase(*equiv, u"Content-Type")) continue;
    auto content = scan.attribute(tok, u"content");
    if (!content) continue;
    std::u16string charset = charsetOf(*content);
    if (!charset.empty()) return charset;
  }
  return {};
}

}  // namespace tembra
