#pragma once
// UTF-16 <-> UTF-8. UTF-8 is this platform's "ANSI code page": every step
// that converts to or from the system code page converts to or from UTF-8.
#include <string>
#include <string_view>

namespace tembra {

// Ill-formed UTF-16 (a lone surrogate) becomes U+FFFD.
// Appends the UTF-8 form of one code point.
void appendUtf8(std::string& out, char32_t c);

std::string toUtf8(std::u16string_view text);

// Ill-formed UTF-8 (bad lead, short sequence, overlong form, surrogate code
// point, value above U+10FFFF) becomes one U+FFFD per offending byte run.
std::u16string fromUtf8(std::string_view bytes);

// ASCII-only convenience for literals and protocol texts.
std::u16string asciiToUtf16(std::string_view ascii);

}  // namespace tembra
