#include "gdi/fonts.h"

#include <algorithm>
#include <array>
#include <cwchar>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>

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
  PangoFontMetrics* metrics = pango_context_get_metrics(SharedPangoContext(), description, nullptr);
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

namespace {

// Every field the description sets, without pango's costlier text form.
std::string KeyOf(PangoFontDescription* description) {
  std::string key = pango_font_description_get_family(description);
  for (const int field : {static_cast<int>(pango_font_description_get_weight(description)),
                          static_cast<int>(pango_font_description_get_style(description)),
                          pango_font_description_get_size(description)}) {
    key += ' ';
    key += std::to_string(field);
  }
  return key;
}

// What of a LOGFONTW the description depends on, held in place: the shell
// makes dozens of fonts a frame.
struct LogFontKey {
  std::array<wchar_t, LF_FACESIZE> face{};
  std::size_t faceLength = 0;
  long height = 0, weight = 0, italic = 0;
  bool operator==(const LogFontKey&) const = default;
};

LogFontKey KeyOf(const LOGFONTW& logFont) {
  LogFontKey key;
  key.faceLength = wcsnlen(logFont.lfFaceName, LF_FACESIZE);
  std::copy_n(logFont.lfFaceName, key.faceLength, key.face.begin());
  key.height = logFont.lfHeight;
  key.weight = logFont.lfWeight;
  key.italic = logFont.lfItalic;
  return key;
}

struct LogFontKeyHash {
  std::size_t operator()(const LogFontKey& key) const {
    std::size_t hash = std::hash<std::wstring_view>()(std::wstring_view(key.face.data(), key.faceLength));
    for (const long field : {key.height, key.weight, key.italic}) hash = hash * 31 + std::hash<long>()(field);
    return hash;
  }
};

// The shell makes its fonts anew on every paint: alike ones share a face
// instead of building a description (and for cell heights asking pango
// for metrics) each time. Emptied when full; faces in use live on.
constexpr std::size_t kRememberedFaces = 64;

std::shared_ptr<const FontFace> FaceFor(const LOGFONTW& logFont) {
  static std::unordered_map<LogFontKey, std::shared_ptr<const FontFace>, LogFontKeyHash> faces;
  const LogFontKey key = KeyOf(logFont);
  if (auto found = faces.find(key); found != faces.end()) return found->second;
  if (faces.size() >= kRememberedFaces) faces.clear();
  PangoFontDescription* description = FontDescriptionFromLogFont(logFont);
  auto face = std::make_shared<const FontFace>(description, KeyOf(description));
  faces.emplace(key, face);
  return face;
}

}  // namespace

GdiObject* NewFontObject(const LOGFONTW& logFont) {
  auto* font = NewObject(ObjectKind::Font);
  font->face = FaceFor(logFont);
  return font;
}

}  // namespace platform::gdi

HFONT CreateFontIndirectW(const LOGFONTW* logFont) {
  if (!logFont) return nullptr;
  return static_cast<HFONT>(platform::gdi::RegisterObject(platform::gdi::NewFontObject(*logFont)));
}

HFONT CreateFontW(int height, int width, int escapement, int orientation, int weight, DWORD italic, DWORD underline,
                  DWORD strikeOut, DWORD charSet, DWORD outPrecision, DWORD clipPrecision, DWORD quality,
                  DWORD pitchAndFamily, LPCWSTR faceName) {
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
