// Text output and measurement: the GDI entry points. Texts are shaped and
// drawn through the drawing cache (draw_cache/).
#include "gdi/text.h"

#include <cwchar>
#include <string>
#include <string_view>

#include "gdi/draw_cache/layout_cache.h"
#include "gdi/draw_cache/text_drawing.h"
#include "gdi/dc.h"
#include "utf8.h"

namespace platform::gdi {
namespace {

// The text in UTF-8, in storage kept from call to call.
const std::string& Utf8Scratch(const wchar_t* text, int count) {
  static std::string scratch;
  if (!text) {
    scratch.clear();
  } else {
    if (count < 0) count = static_cast<int>(std::wcslen(text));
    utf8::ToUtf8(std::wstring_view(text, static_cast<std::size_t>(count)), scratch);
  }
  return scratch;
}

// DrawTextW's prefix rule: "&x" shows "x", "&&" shows "&".
std::wstring WithoutPrefixes(const wchar_t* text, int count) {
  std::wstring shown;
  shown.reserve(count);
  for (int i = 0; i < count; ++i) {
    if (text[i] == L'&' && ++i == count) break;
    shown += text[i];
  }
  return shown;
}

}  // namespace

std::string ToUtf8(const wchar_t* text, int count) {
  if (!text) return {};
  if (count < 0) count = static_cast<int>(std::wcslen(text));
  return utf8::ToUtf8(std::wstring_view(text, static_cast<std::size_t>(count)));
}

}  // namespace platform::gdi

using platform::draw_cache::LayoutFor;
using platform::draw_cache::LayoutSize;
using platform::draw_cache::ShapedText;
using platform::gdi::DCFromHandle;
using platform::gdi::DeviceContext;

BOOL GetTextExtentPoint32W(HDC hdc, LPCWSTR text, int count, SIZE* size) {
  DeviceContext* dc = DCFromHandle(hdc);
  if (!dc || !size || count < 0 || (!text && count > 0)) return FALSE;
  ShapedText& shaped = LayoutFor(*dc->font, platform::gdi::Utf8Scratch(text, count));
  *size = LayoutSize(shaped);
  return TRUE;
}

BOOL TextOutW(HDC hdc, int x, int y, LPCWSTR text, int count) {
  DeviceContext* dc = DCFromHandle(hdc);
  if (!dc || count < 0 || (!text && count > 0)) return FALSE;
  const std::string& utf8 = platform::gdi::Utf8Scratch(text, count);
  ShapedText& shaped = LayoutFor(*dc->font, utf8);
  platform::draw_cache::DrawShapedText(*dc, shaped, utf8, platform::gdi::ClampCoordinate(x),
                                       platform::gdi::ClampCoordinate(y), nullptr);
  return TRUE;
}

int DrawTextW(HDC hdc, LPCWSTR text, int count, LPRECT rect, UINT format) {
  constexpr UINT kBottom = 0x8, kNoClip = 0x100, kCalcRect = 0x400;
  DeviceContext* dc = DCFromHandle(hdc);
  if (!dc || !text || !rect) return 0;
  if (count < 0) count = static_cast<int>(std::wcslen(text));
  std::string utf8 = (format & DT_NOPREFIX)
                         ? platform::gdi::ToUtf8(text, count)
                         : platform::gdi::ToUtf8(platform::gdi::WithoutPrefixes(text, count).c_str(), -1);
  ShapedText& shaped = LayoutFor(*dc->font, utf8);
  const SIZE size = LayoutSize(shaped);
  if (format & kCalcRect) {
    rect->right = platform::gdi::ClampCoordinate(static_cast<long long>(rect->left) + size.cx);
    rect->bottom = platform::gdi::ClampCoordinate(static_cast<long long>(rect->top) + size.cy);
    return size.cy;
  }
  using platform::gdi::ClampCoordinate;
  const RECT box{ClampCoordinate(rect->left), ClampCoordinate(rect->top), ClampCoordinate(rect->right),
                 ClampCoordinate(rect->bottom)};
  int x = box.left;
  if (format & DT_CENTER)
    x = box.left + (box.right - box.left - size.cx) / 2;
  else if (format & DT_RIGHT)
    x = box.right - size.cx;
  int y = box.top;
  if (format & DT_SINGLELINE) {
    if (format & DT_VCENTER)
      y = box.top + (box.bottom - box.top - size.cy) / 2;
    else if (format & kBottom)
      y = box.bottom - size.cy;
  }
  platform::draw_cache::DrawShapedText(*dc, shaped, utf8, x, y, (format & kNoClip) ? nullptr : &box);
  if ((format & DT_SINGLELINE) && (format & (DT_VCENTER | kBottom))) return y - box.top + size.cy;
  return size.cy;
}
