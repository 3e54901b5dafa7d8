#include "x11/text.h"

namespace platform::x11 {

std::wstring FromUtf8(std::string_view bytes) {
  std::wstring out;
  out.reserve(bytes.size());
  for (std::size_t i = 0; i < bytes.size();) {
    char32_t cp = 0;
    std::size_t length = utf8::DecodeOne(bytes.substr(i), cp);
    if (length == 0) {
      cp = 0xFFFD;
      length = 1;
    }
    utf8::AppendWide(out, cp);
    i += length;
  }
  return out;
}

std::string ToLatin1(std::wstring_view text) {
  std::string out;
  out.reserve(text.size());
  for (wchar_t wc : text) out += (wc >= 0 && wc <= 0xFF) ? static_cast<char>(wc) : '?';
  return out;
}

std::wstring FromLatin1(std::string_view bytes) {
  std::wstring out;
  out.reserve(bytes.size());
  for (char c : bytes) out += static_cast<wchar_t>(static_cast<unsigned char>(c));
  return out;
}

bool IsTypedCharacter(wchar_t ch) {
  const char32_t cp = static_cast<char32_t>(ch);
  return cp >= 0x20 && cp != 0x7F && !(cp >= 0x80 && cp < 0xA0) && utf8::IsScalarValue(cp);
}

}  // namespace platform::x11
