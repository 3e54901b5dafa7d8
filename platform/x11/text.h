// Text conversions between the layer's UTF-32 strings and X's encodings.
#pragma once

#include <string>
#include <string_view>

#include "utf8.h"

namespace platform::x11 {

using utf8::ToUtf8;
// Invalid sequences become U+FFFD, so pasted junk stays visible instead of
// cutting the text short.
std::wstring FromUtf8(std::string_view bytes);
// X's STRING type is Latin-1; characters outside it become '?'.
std::string ToLatin1(std::wstring_view text);
std::wstring FromLatin1(std::string_view bytes);
// What a key press types: the characters an edit box accepts (no control characters).
bool IsTypedCharacter(wchar_t ch);

}  // namespace platform::x11
