#include "x11/text.h"

namespace platform::x11 {
namespace {

constexpr char32_t kReplacement = 0xFFFD;

bool IsScalarValue(char32_t cp) { return cp <= 0x10FFFF && (cp < 0xD800 || cp > 0xDFFF); }

}  // namespace

std::wstring FromUtf8(std::string_view bytes) {
  std::wstring out;
  out.reserve(bytes.size());
  size_t i = 0;
  while (i < bytes.size()) {
    const unsigned char lead = static_cast<unsigned char>(bytes[i]);
    int length = 0;
    char32_t cp = 0;
    char32_t minimum = 0;
    if (lead < 0x80) {
      length = 1, cp = lead;
    } else if ((lead & 0xE0) == 0xC0) {
      length = 2, cp = lead & 0x1F, minimum = 0x80;
    } else if ((lead & 0xF0) == 0xE0) {
      length = 3, cp = lead & 0x0F, minimum = 0x800;
    } else if ((lead & 0xF8) == 0xF0) {
      length = 4, cp = lead & 0x07, minimum = 0x10000;
    }
    bool valid = length > 0 && i + length <= bytes.size();
    for (int k = 1; valid && k < length; ++k) {
      const unsigned char next = static_cast<unsigned char>(bytes[i + k]);
      if ((next & 0xC0) != 0x80) valid = false;
      cp = (cp << 6) | (next & 0x3F);
    }
    if (valid && (cp < minimum || !IsScalarValue(cp))) valid = false;
    if (valid) {
      out += static_cast<wchar_t>(cp);
      i += length;
    } else {
      out += static_cast<wchar_t>(kReplacement);
      ++i;
    }
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
  return cp >= 0x20 && cp != 0x7F && !(cp >= 0x80 && cp < 0xA0) && IsScalarValue(cp);
}

}  // namespace platform::x11
