#include "utf8.h"

namespace platform {

std::string ToUtf8(std::wstring_view text) {
  std::string out;
  ToUtf8(text, out);
  return out;
}

void ToUtf8(std::wstring_view text, std::string& out) {
  // Most texts are ASCII: written in one pass, no growth checks.
  out.resize(text.size());
  char* ascii = out.data();
  std::size_t i = 0;
  for (; i < text.size(); ++i) {
    const wchar_t c = text[i];
    if (c <= 0 || c >= 0x80) break;
    ascii[i] = static_cast<char>(c);
  }
  out.resize(i);
  if (i == text.size()) return;
  text.remove_prefix(i);
  out.reserve(text.size() + 8);
  for (wchar_t wc : text) {
    char32_t c = static_cast<char32_t>(wc);
    if (c == 0 || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) c = 0xFFFD;
    if (c < 0x80) {
      out += static_cast<char>(c);
    } else if (c < 0x800) {
      out += static_cast<char>(0xC0 | (c >> 6));
      out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
      out += static_cast<char>(0xE0 | (c >> 12));
      out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
      out += static_cast<char>(0xF0 | (c >> 18));
      out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
      out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (c & 0x3F));
    }
  }
}

}  // namespace platform
