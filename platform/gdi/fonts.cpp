#include "gdi/fonts.h"

#include <algorithm>
#include <cwchar>
#include <string>

#include "gdi/objects.h"
#include "gdi/text.h"

namespace platform::gdi {
namespace {

// "Segoe UI" is not packaged for Linux. These free faces come close to its
// widths (the 64 px elapsed time fits the 320 px window in them, not in
// DejaVu Sans); fontconfig takes the first one installed, else its own
// substitute.
constexpr const char* kSegoeUiStandIns = "Segoe UI,Selawik,Liberation Sans,Arimo";

std::string FamilyFor(const std::string& face) {
  if (face.empty()) return "Sans";
  if (g_ascii_strcasecmp(face.c_str(), "Segoe UI") == 0) return kSegoeUiStandIns;
  return face;
}

// Sizes beyond this are no text anyone reads and only cost time.
constexpr int kLargestCharHeight = 1000;

// The character height that gives a cell (ascent + descent) of `cell` px.
double CharHeightForCell(PangoFontDescription* description, int cell) {
  pango_font_description_set_absolute_size(description, cell * PANGO_SCALE);
  PangoFontMetrics* metrics =
      pango_context_get_metrics(SharedPangoContext(), description, nullptr);
  const int cellUnits = pango_font_metrics_get_ascent(metrics) + pango_font_metrics_get_descent(metrics);
  pango_font_metrics_unref(metrics);
  if (cellUnits <= 0) return cell;
  return static_cast<double>(cell) * cell * PANGO_SCALE / cellUnits;
}

}  // namespace

PangoFontDescription* FontDescriptionFromLogFont(const LOGFONTW& logFont) {
  PangoFontDescription* description = pango_font_description_new();
  const std::size_t faceLength = wcsnlen(logFont.lfFaceName, LF_FACESIZE);
  const std::string family = FamilyFor(ToUtf8(logFont.lfFaceName, static_cast<int>(faceLength)));
  pango_font_description_set_family(description, family.c_str());
  const int weight = logFont.lfWeight == 0 ? FW_NORMAL : std::clamp<int>(logFont.lfWeight, 100, 1000);
  pango_font_description_set_weight(description, static_cast<PangoWeight>(weight));
  pango_font_description_set_style(description, logFont.lfItalic ? PANGO_STYLE_ITALIC : PANGO_STYLE_NORMAL);

  double charHeight = kDefaultCharHeight;
  if (logFont.lfHeight < 0) {
    charHeight = -static_cast<double>(logFont.lfHeight);
  } else if (logFont.lfHeight > 0) {
    charHeight = CharHeightForCell(description, std::min<int>(logFont.lfHeight, kLargestCharHeight));
  }
  charHeight = std::clamp(charHeight, 1.0, static_cast<double>(kLargestCharHeight));
  pango_font_description_set_absolute_size(description, charHeight * PANGO_SCALE);
  return description;
}

GdiObject* NewFontObject(const LOGFONTW& logFont) {
  auto* font = new GdiObject(ObjectKind::Font);
  font->font = FontDescriptionFromLogFont(logFont);
  // Every field the description sets, without pango's costlier text form
  // (fonts are made anew on every paint).
  font->fontKey = pango_font_description_get_family(font->font);
  for (const int field : {static_cast<int>(pango_font_description_get_weight(font->font)),
                          static_cast<int>(pango_font_description_get_style(font->font)),
                          pango_font_description_get_size(font->font)}) {
    font->fontKey += ' ';
    font->fontKey += std::to_string(field);
  }
  return font;
}

}  // namespace platform::gdi

HFONT CreateFontIndirectW(const LOGFONTW* logFont) {
  if (!logFont) return nullptr;
  return static_cast<HFONT>(platform::gdi::RegisterObject(platform::gdi::NewFontObject(*logFont)));
}

HFONT CreateFontW(int height, int width, int escapement, int orientation, int weight, DWORD italic,
                  DWORD underline, DWORD strikeOut, DWORD charSet, DWORD outPrecision, DWORD clipPrecision,
                  DWORD quality, DWORD pitchAndFamily, LPCWSTR faceName) {
  LOGFONTW logFont{};
  logFont.lfHeight = height;
  logFont.lfWidth = width;
  logFont.lfEscapement = escapement;
  logFont.lfOrientation = orientation;
  logFont.lfWeight = weight;
  logFont.lfItalic = static_cast<BYTE>(italic);
  logFont.lfUnderline = static_cast<BYTE>(underline);
  logFont.lfStrikeOut = static_cast<BYTE>(strikeOut);
  logFont.lfCharSet = static_cast<BYTE>(charSet);
  logFont.lfOutPrecision = static_cast<BYTE>(outPrecision);
  logFont.lfClipPrecision = static_cast<BYTE>(clipPrecision);
  logFont.lfQuality = static_cast<BYTE>(quality);
  logFont.lfPitchAndFamily = static_cast<BYTE>(pitchAndFamily);
  if (faceName) {
    // At most 31 characters and the terminator, as in LOGFONTW.
    wcsncpy(logFont.lfFaceName, faceName, LF_FACESIZE - 1);
  }
  return CreateFontIndirectW(&logFont);
}
