// UTF-8 to and from the program's wide strings (UTF-16 where wchar_t has 16
// bits, as on Windows; UTF-32 elsewhere). Standard C++ only: the core's
// files and the Linux layer's text both go through it.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace utf8 {

// What UTF-8 can hold: at most U+10FFFF, and no surrogate.
constexpr bool IsScalarValue(char32_t cp) { return cp <= 0x10FFFF && (cp < 0xD800 || cp > 0xDFFF); }

// A surrogate pair (where wchar_t has 16 bits) is one character. A NUL, a
// lone surrogate or a value beyond U+10FFFF becomes U+FFFD: a NUL byte would
// cut the text short for whatever reads it as a C string, and the text
// around the others must survive.
std::string ToUtf8(std::wstring_view text);
// The same into `out`, which keeps its storage: for texts converted often.
void ToUtf8(std::wstring_view text, std::string& out);

// The length of the valid UTF-8 sequence at the start of `bytes`, with its
// code point in `cp`; 0 when there is none (no bytes, a stray or cut-short
// sequence, an overlong form, a surrogate, a value beyond U+10FFFF).
std::size_t DecodeOne(std::string_view bytes, char32_t& cp);

// Appends one code point, as a surrogate pair where wchar_t has 16 bits.
void AppendWide(std::wstring& out, char32_t cp);

}  // namespace utf8
