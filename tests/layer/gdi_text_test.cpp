// Text: the stand-in for "Segoe UI" is a real face, measuring agrees with
// drawing, sizes follow the font height, and DrawTextW centres.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "gdi/draw_cache/quick_shaping.h"
#include "gdi/gdi_internal.h"
#include "gdi/text.h"
#include "gdi_test_canvas.h"
#include "win32_layer.h"

using gdi_test::Canvas;

namespace {

constexpr COLORREF kBackground = RGB(30, 32, 40);
constexpr COLORREF kText = RGB(232, 232, 242);

HFONT MakeFont(int height, int weight = FW_NORMAL, LPCWSTR face = L"Segoe UI") {
  return CreateFontW(height, 0, 0, 0, weight, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_OUTLINE_PRECIS,
                     CLIP_DEFAULT_PRECIS, CLEARTYPE_QUALITY, VARIABLE_PITCH, face);
}

SIZE Measure(HDC dc, const std::wstring& text) {
  SIZE size{-1, -1};
  EXPECT_TRUE(GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size));
  return size;
}

// A canvas with a font selected and the frame's text settings.
struct TextCanvas {
  TextCanvas(int width, int height, HFONT f) : canvas(width, height), font(f) {
    canvas.Fill(kBackground);
    oldFont = SelectObject(canvas.dc(), font);
    SetBkMode(canvas.dc(), TRANSPARENT);
    SetTextColor(canvas.dc(), kText);
  }
  ~TextCanvas() {
    SelectObject(canvas.dc(), oldFont);
    DeleteObject(font);
  }
  Canvas canvas;
  HFONT font;
  HGDIOBJ oldFont;
};

bool Inside(const RECT& inner, const RECT& outer) {
  return inner.left >= outer.left && inner.top >= outer.top && inner.right <= outer.right &&
         inner.bottom <= outer.bottom;
}

TEST(GdiText, SegoeUiResolvesToARealFace) {
  TextCanvas tc(100, 40, MakeFont(-18));
  SIZE size = Measure(tc.canvas.dc(), L"Timer");
  EXPECT_GT(size.cx, 20);
  EXPECT_LT(size.cx, 80);
  EXPECT_GE(size.cy, 18);
  EXPECT_LT(size.cy, 40);
  // An empty string has no width but a line's height.
  SIZE empty = Measure(tc.canvas.dc(), L"");
  EXPECT_EQ(empty.cx, 0);
  EXPECT_EQ(empty.cy, size.cy);
  // Longer text is wider; the count limits what is measured.
  EXPECT_GT(Measure(tc.canvas.dc(), L"Timer Timer").cx, size.cx);
  SIZE part{};
  EXPECT_TRUE(GetTextExtentPoint32W(tc.canvas.dc(), L"Timer Timer", 5, &part));
  EXPECT_EQ(part.cx, size.cx);
}

TEST(GdiText, SegoeUiStandsInWithANarrowFreeFaceWhenOneIsInstalled) {
  // The elapsed time of the timer panel, 64 px high, must fit 320 px.
  TextCanvas segoe(10, 10, MakeFont(-64));
  TextCanvas liberation(10, 10, MakeFont(-64, FW_NORMAL, L"Liberation Sans"));
  TextCanvas dejaVu(10, 10, MakeFont(-64, FW_NORMAL, L"DejaVu Sans"));
  const int segoeWidth = Measure(segoe.canvas.dc(), L"00:00.000").cx;
  const int liberationWidth = Measure(liberation.canvas.dc(), L"00:00.000").cx;
  if (liberationWidth == Measure(dejaVu.canvas.dc(), L"00:00.000").cx) {
    GTEST_SKIP() << "no narrow stand-in installed (fonts-liberation)";
  }
  EXPECT_EQ(segoeWidth, liberationWidth);
  EXPECT_LE(segoeWidth, 310);
}

TEST(GdiText, GlyphsLieWithinTheMeasuredBoxAtTheGivenPoint) {
  TextCanvas tc(320, 100, MakeFont(-18, 600));
  const std::wstring text = L"PB: 01:23.456 -0.25";
  SIZE size = Measure(tc.canvas.dc(), text);
  EXPECT_TRUE(TextOutW(tc.canvas.dc(), 40, 30, text.c_str(), static_cast<int>(text.size())));
  RECT ink = tc.canvas.InkBox(kBackground);
  ASSERT_GT(ink.right, ink.left) << "nothing drawn";
  EXPECT_TRUE(Inside(ink, RECT{40, 30, 40 + size.cx, 30 + size.cy}))
      << ink.left << "," << ink.top << "," << ink.right << "," << ink.bottom << " size " << size.cx << "x" << size.cy;
  // The ink fills most of the box: the box is no loose overestimate.
  EXPECT_GT(ink.right - ink.left, size.cx * 3 / 4);
  EXPECT_GT(ink.bottom - ink.top, size.cy / 2);
  // Glyphs are drawn in the text colour (their cores are exact).
  EXPECT_GT(tc.canvas.Count(kText), 20);

  // Accents and descenders reach the top and bottom of the box, so a text
  // put too low or too high pokes out of it.
  TextCanvas tall(120, 60, MakeFont(-18));
  const std::wstring reach = L"\u00c9gjpq|";
  SIZE reachSize = Measure(tall.canvas.dc(), reach);
  TextOutW(tall.canvas.dc(), 10, 20, reach.c_str(), static_cast<int>(reach.size()));
  RECT reachInk = tall.canvas.InkBox(kBackground);
  EXPECT_TRUE(Inside(reachInk, RECT{10, 20, 10 + reachSize.cx, 20 + reachSize.cy}))
      << reachInk.top << ".." << reachInk.bottom << " in 20.." << 20 + reachSize.cy;
  EXPECT_GT(reachInk.bottom - reachInk.top, reachSize.cy * 3 / 4);
}

// Red goes in the low byte of the COLORREF; antialiasing is grey, keeping
// r = g = b in white on black, where subpixel rendering would tint edges.
TEST(GdiText, TextColourIsExactAndEdgesAreGreyNotColourFringed) {
  TextCanvas tc(120, 40, MakeFont(-24, FW_BOLD));
  SetTextColor(tc.canvas.dc(), RGB(255, 0, 0));
  TextOutW(tc.canvas.dc(), 2, 2, L"MMM", 3);
  EXPECT_GT(tc.canvas.Count(RGB(255, 0, 0)), 20);
  EXPECT_EQ(tc.canvas.Count(RGB(0, 0, 255)), 0);

  TextCanvas white(200, 40, MakeFont(-18));
  white.canvas.Fill(RGB(0, 0, 0));
  SetTextColor(white.canvas.dc(), RGB(255, 255, 255));
  TextOutW(white.canvas.dc(), 3, 3, L"Keybinds 0123 /", 15);
  int partial = 0;
  for (int y = 0; y < white.canvas.height(); ++y) {
    for (int x = 0; x < white.canvas.width(); ++x) {
      COLORREF c = white.canvas.At(x, y);
      ASSERT_EQ(GetRValue(c), GetGValue(c)) << x << "," << y;
      ASSERT_EQ(GetGValue(c), GetBValue(c)) << x << "," << y;
      partial += GetRValue(c) > 0 && GetRValue(c) < 255;
    }
  }
  EXPECT_GT(partial, 0) << "text is antialiased";
}

TEST(GdiText, OpaqueModeFillsTheMeasuredBoxTransparentLeavesIt) {
  TextCanvas tc(200, 60, MakeFont(-15));
  // Blanks have no ink of their own (glyphs may overhang their box a little).
  SIZE size = Measure(tc.canvas.dc(), L"    ");
  SetBkMode(tc.canvas.dc(), OPAQUE);
  SetBkColor(tc.canvas.dc(), RGB(47, 51, 65));
  TextOutW(tc.canvas.dc(), 10, 10, L"    ", 4);
  // The whole logical box is filled, nothing outside it.
  RECT ink = tc.canvas.InkBox(kBackground);
  EXPECT_EQ(ink.left, 10);
  EXPECT_EQ(ink.top, 10);
  EXPECT_EQ(ink.right, 10 + size.cx);
  EXPECT_EQ(ink.bottom, 10 + size.cy);
  EXPECT_EQ(tc.canvas.Count(RGB(47, 51, 65)), size.cx * size.cy);
  TextOutW(tc.canvas.dc(), 10, 40, L"Edit", 4);
  EXPECT_EQ(tc.canvas.At(10, 40), RGB(47, 51, 65));

  Canvas blank(200, 60);
  blank.Fill(kBackground);
  HFONT font = MakeFont(-15);
  HGDIOBJ old = SelectObject(blank.dc(), font);
  SetBkMode(blank.dc(), TRANSPARENT);
  SetBkColor(blank.dc(), RGB(47, 51, 65));
  TextOutW(blank.dc(), 10, 10, L"Edit", 4);
  EXPECT_EQ(blank.Count(RGB(47, 51, 65)), 0);
  EXPECT_EQ(blank.At(10, 10), kBackground);
  SelectObject(blank.dc(), old);
  DeleteObject(font);
}

// Negative heights are character heights, positive ones cell heights, zero
// a default; more weight is bolder, wider text.
TEST(GdiText, HeightsAndWeightsSizeTheText) {
  Canvas canvas(10, 10);
  const auto measure = [&](int height, int weight, const std::wstring& text) {
    HFONT font = MakeFont(height, weight);
    HGDIOBJ old = SelectObject(canvas.dc(), font);
    SIZE size = Measure(canvas.dc(), text);
    SelectObject(canvas.dc(), old);
    DeleteObject(font);
    return size;
  };
  int previousHeight = 0, previousWidth = 0;
  for (int pixels : {10, 15, 18, 30, 64}) {
    SCOPED_TRACE(testing::Message() << "character height " << pixels);
    const SIZE size = measure(-pixels, FW_NORMAL, L"00:00.000");
    // A line is a little taller than the character height, never shorter.
    EXPECT_GE(size.cy, pixels);
    EXPECT_LE(size.cy, pixels * 3 / 2 + 2);
    EXPECT_GT(size.cy, previousHeight);
    EXPECT_GT(size.cx, previousWidth);
    previousHeight = size.cy;
    previousWidth = size.cx;
  }
  for (int height : {20, 40}) EXPECT_NEAR(measure(height, FW_NORMAL, L"Ag").cy, height, height / 8 + 1) << height;
  const SIZE byDefault = measure(0, FW_NORMAL, L"Ag");
  EXPECT_GT(byDefault.cy, 8);
  EXPECT_LT(byDefault.cy, 24);
  EXPECT_GT(measure(-18, FW_BOLD, L"Reset Best Times").cx, measure(-18, FW_NORMAL, L"Reset Best Times").cx);
}

TEST(GdiText, DrawTextCentresOneLineInTheRectangle) {
  TextCanvas tc(320, 100, MakeFont(-15));
  RECT button{70, 20, 250, 54};
  SIZE size = Measure(tc.canvas.dc(), L"Save");
  int result = DrawTextW(tc.canvas.dc(), L"Save", -1, &button, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
  const int x = 70 + (180 - size.cx) / 2;
  const int y = 20 + (34 - size.cy) / 2;
  EXPECT_EQ(result, y - 20 + size.cy);
  RECT ink = tc.canvas.InkBox(kBackground);
  ASSERT_GT(ink.right, ink.left);
  EXPECT_TRUE(Inside(ink, RECT{x, y, x + size.cx, y + size.cy}));
  // Centred: the ink's margins to the button differ by little.
  EXPECT_NEAR(ink.left - button.left, button.right - ink.right, 4);
  EXPECT_NEAR(ink.top - button.top, button.bottom - ink.bottom, 6);
  // The rectangle is not changed.
  EXPECT_EQ(button.left, 70);
  EXPECT_EQ(button.right, 250);
}

TEST(GdiText, DrawTextClipsToItsRectangleAndHonoursTheCount) {
  TextCanvas tc(200, 60, MakeFont(-18));
  RECT narrow{50, 10, 70, 40};
  DrawTextW(tc.canvas.dc(), L"Edit Splits and more", -1, &narrow, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
  RECT ink = tc.canvas.InkBox(kBackground);
  EXPECT_TRUE(Inside(ink, narrow));
  EXPECT_GT(ink.right, ink.left);

  // A count shorter than the string draws only its start.
  TextCanvas whole(200, 40, MakeFont(-18));
  TextCanvas start(200, 40, MakeFont(-18));
  RECT r{0, 0, 200, 40};
  DrawTextW(whole.canvas.dc(), L"Keybinds", -1, &r, DT_SINGLELINE);
  DrawTextW(start.canvas.dc(), L"Keybinds", 3, &r, DT_SINGLELINE);
  EXPECT_LT(start.canvas.InkBox(kBackground).right, whole.canvas.InkBox(kBackground).right);
}

TEST(GdiText, DrawTextTakesAmpersandsAsPrefixesUnlessToldNot) {
  Canvas canvas(10, 10);
  HFONT font = MakeFont(-18);
  HGDIOBJ old = SelectObject(canvas.dc(), font);
  RECT a{0, 0, 0, 0}, b{0, 0, 0, 0}, c{0, 0, 0, 0};
  constexpr UINT kCalcRect = 0x400;
  DrawTextW(canvas.dc(), L"A&&B", -1, &a, DT_SINGLELINE | kCalcRect);
  DrawTextW(canvas.dc(), L"A&B", -1, &b, DT_SINGLELINE | kCalcRect | DT_NOPREFIX);
  DrawTextW(canvas.dc(), L"A&B", -1, &c, DT_SINGLELINE | kCalcRect);
  EXPECT_EQ(a.right, b.right);
  EXPECT_EQ(c.right, Measure(canvas.dc(), L"AB").cx);
  SelectObject(canvas.dc(), old);
  DeleteObject(font);
}

TEST(GdiText, CharactersBeyondAsciiAndBadCodePointsAreDrawn) {
  TextCanvas tc(200, 40, MakeFont(-18));
  const wchar_t text[] = {L'\u00e9', L'\u00df', L'\u4e2d', static_cast<wchar_t>(0xD800), static_cast<wchar_t>(0x110000),
                          0};
  SIZE size = Measure(tc.canvas.dc(), text);
  EXPECT_GT(size.cx, Measure(tc.canvas.dc(), L"\u00e9").cx);
  EXPECT_TRUE(TextOutW(tc.canvas.dc(), 0, 0, text, 5));
  // A NUL inside the count is drawn as a replacement, not a cut.
  const wchar_t withNul[] = {L'a', 0, L'b', 0};
  EXPECT_GT(Measure(tc.canvas.dc(), std::wstring(withNul, 3)).cx, Measure(tc.canvas.dc(), L"ab").cx);
  EXPECT_FALSE(TextOutW(tc.canvas.dc(), 0, 0, text, -1));
  EXPECT_FALSE(GetTextExtentPoint32W(tc.canvas.dc(), text, -1, &size));
  EXPECT_FALSE(GetTextExtentPoint32W(tc.canvas.dc(), nullptr, 3, &size));
}

TEST(GdiText, AFrameDCClipsText) {
  Canvas frame(100, 40, 20, 0, RECT{20, 0, 50, 40});
  frame.Fill(kBackground);
  HFONT font = MakeFont(-24);
  HGDIOBJ old = SelectObject(frame.dc(), font);
  SetTextColor(frame.dc(), kText);
  SetBkMode(frame.dc(), TRANSPARENT);
  TextOutW(frame.dc(), -10, 5, L"WWWWWWWWWW", 10);
  SelectObject(frame.dc(), old);
  DeleteObject(font);
  // Only the frame's clip was filled and written; text reached both edges.
  RECT ink = frame.InkBox(RGB(0, 0, 0));
  EXPECT_EQ(ink.left, 20);
  EXPECT_EQ(ink.right, 50);
  EXPECT_GT(frame.Count(kText), 0);
}

// A text drawn often is drawn from a cached picture of it: the second and
// later draws must give the very pixels of the first, wherever the text
// lies, in any colour, clipped or not.
TEST(GdiText, DrawingATextAgainGivesTheSamePixels) {
  struct Case {
    int height;
    int weight;
    std::wstring text;  // texts no other test draws, so the first draw here is the first
  };
  const Case cases[] = {
      {-18, FW_NORMAL, L"jWf \u00c9g\u00c5|_ (again 1)"},
      {-64, FW_NORMAL, L"01:23.456 (again 2)"},
      {-18, FW_SEMIBOLD, L"PB: 59:59.999 -0.25 (again 3)"},
      {-18, FW_NORMAL, L"\u4e2d\u00df\u0301\u0327 (again 4)"},
  };
  for (const Case& c : cases) {
    const auto drawThrice = [&](const wchar_t* suffix, int x, int y, COLORREF colour, int mode, const RECT* clip) {
      const std::wstring text = c.text + suffix;
      std::vector<std::vector<COLORREF>> pictures;
      for (int pass = 0; pass < 3; ++pass) {
        TextCanvas tc(420, 120, MakeFont(c.height, c.weight));
        SetTextColor(tc.canvas.dc(), colour);
        SetBkMode(tc.canvas.dc(), mode);
        SetBkColor(tc.canvas.dc(), RGB(90, 20, 20));
        if (clip) {
          RECT box = *clip;
          DrawTextW(tc.canvas.dc(), text.c_str(), -1, &box, DT_SINGLELINE | DT_NOPREFIX);
        } else {
          TextOutW(tc.canvas.dc(), x, y, text.c_str(), static_cast<int>(text.size()));
        }
        std::vector<COLORREF> picture;
        for (int py = 0; py < tc.canvas.height(); ++py)
          for (int px = 0; px < tc.canvas.width(); ++px) picture.push_back(tc.canvas.At(px, py));
        pictures.push_back(std::move(picture));
      }
      EXPECT_EQ(pictures[0], pictures[1]) << "second draw, height " << c.height;
      EXPECT_EQ(pictures[0], pictures[2]) << "third draw, height " << c.height;
    };
    drawThrice(L" a", 7, 11, kText, TRANSPARENT, nullptr);
    drawThrice(L" b", -9, 100, RGB(239, 71, 111), OPAQUE, nullptr);  // cut at the left and bottom
    const RECT clip{40, 20, 90, 50};
    drawThrice(L" c", 0, 0, kText, TRANSPARENT, &clip);
  }
}

// Times and deltas are shaped straight into glyphs, and in a face that
// keeps showing new ones (a running time) put together from each
// character's glyph by its neighbours; they must measure and draw exactly
// as their layouts do, the first draw and the cached picture alike, in every
// face the frame uses and in faces that kern digits.
TEST(GdiText, QuickTextsMeasureAndDrawAsTheirLayouts) {
  struct Face {
    int height;
    int weight;
    LPCWSTR name;
  };
  const Face faces[] = {{-64, FW_NORMAL, L"Segoe UI"},        {-18, FW_SEMIBOLD, L"Segoe UI"},
                        {-14, FW_NORMAL, L"Segoe UI"},        {-22, FW_BOLD, L"Segoe UI"},
                        {-30, FW_NORMAL, L"DejaVu Sans"},     {-21, FW_NORMAL, L"Liberation Serif"},
                        {-40, FW_NORMAL, L"Liberation Sans"}, {17, FW_NORMAL, L"Liberation Mono"}};
  const std::wstring texts[] = {L"0:00.00", L"1:11.11",   L"10:47.10", L"59:59.99", L"1:00:00.00", L"+1.23",
                                L"-0.05",   L"+12:01.5",  L"1,234",    L".",        L":",          L"-",
                                L"7",       L"00:00.000", L"11",       L"111:11",   L"-1.1",       L"21:17.71"};
  struct Drawn {
    SIZE size;
    std::vector<std::vector<COLORREF>> pictures;  // first, second and third draw
  };
  const auto draw = [](const Face& face, const std::wstring& text, bool quick) {
    platform::draw_cache::SetQuickShaping(quick);
    Drawn drawn{};
    for (int pass = 0; pass < 3; ++pass) {
      TextCanvas tc(360, 110, MakeFont(face.height, face.weight, face.name));
      if (pass == 0) drawn.size = Measure(tc.canvas.dc(), text);
      SetBkMode(tc.canvas.dc(), pass == 1 ? OPAQUE : TRANSPARENT);
      SetBkColor(tc.canvas.dc(), RGB(90, 20, 20));
      TextOutW(tc.canvas.dc(), 5, 9, text.c_str(), static_cast<int>(text.size()));
      RECT cut{20, 60, 70, 100};
      DrawTextW(tc.canvas.dc(), text.c_str(), -1, &cut, DT_SINGLELINE | DT_CENTER | DT_VCENTER);
      std::vector<COLORREF> picture;
      for (int py = 0; py < tc.canvas.height(); ++py)
        for (int px = 0; px < tc.canvas.width(); ++px) picture.push_back(tc.canvas.At(px, py));
      drawn.pictures.push_back(std::move(picture));
    }
    return drawn;
  };
  for (const Face& face : faces) {
    for (const bool warm : {false, true}) {
      if (warm) {
        // Many new texts in the face: from here on they are put together.
        platform::draw_cache::SetQuickShaping(true);
        TextCanvas tc(10, 10, MakeFont(face.height, face.weight, face.name));
        for (int i = 0; i < 40; ++i) Measure(tc.canvas.dc(), L"9:" + std::to_wstring(10 + i) + L".0");
      }
      for (const std::wstring& text : texts) {
        const Drawn laidOut = draw(face, text, false);
        const Drawn quick = draw(face, text, true);
        const std::string what = platform::gdi::ToUtf8(face.name, -1) + " " + std::to_string(face.height) + " " +
                                 platform::gdi::ToUtf8(text.c_str(), -1);
        EXPECT_EQ(quick.size.cx, laidOut.size.cx) << what;
        EXPECT_EQ(quick.size.cy, laidOut.size.cy) << what;
        for (int pass = 0; pass < 3; ++pass)
          EXPECT_TRUE(quick.pictures[pass] == laidOut.pictures[pass]) << what << " draw " << pass + 1;
      }
    }
  }
  platform::draw_cache::SetQuickShaping(true);
}

}  // namespace

// Names read from a file may hold line and paragraph separators (a stray
// 0x85 byte reads as U+0085). A text call draws one line, as on Windows:
// the separators must not push the text onto a second line.
TEST(GdiText, LineAndParagraphSeparatorsStayOnOneLine) {
  TextCanvas tc(320, 100, MakeFont(-18));
  const SIZE plain = Measure(tc.canvas.dc(), L"AB");
  for (const wchar_t* text : {L"A\nB", L"A\rB", L"A\u0085B", L"A\u2028B", L"A\u2029B", L"A\vB"}) {
    const std::wstring s = text;
    const SIZE size = Measure(tc.canvas.dc(), s);
    // The separator's glyph may come from a fallback face a pixel taller;
    // a second line would double the height.
    EXPECT_LT(size.cy, plain.cy * 3 / 2) << "separator U+" << std::hex << static_cast<unsigned>(s[1]);
    tc.canvas.Fill(kBackground);
    TextOutW(tc.canvas.dc(), 10, 30, s.c_str(), static_cast<int>(s.size()));
    const RECT ink = tc.canvas.InkBox(kBackground);
    EXPECT_LT(ink.bottom, 30 + plain.cy * 3 / 2) << "separator U+" << std::hex << static_cast<unsigned>(s[1]);
  }
}
