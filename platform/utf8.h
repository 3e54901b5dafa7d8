// UTF-8 from the layer's UTF-32 strings, for pango and for X.
#pragma once

#include <string>
#include <string_view>

namespace platform {

// A NUL, a surrogate or a value beyond U+10FFFF becomes U+FFFD: neither
// pango nor X takes them, and the text around them must survive.
std::string ToUtf8(std::wstring_view text);
// The same into `out`, which keeps its storage: for texts converted often.
void ToUtf8(std::wstring_view text, std::string& out);

}  // namespace platform
