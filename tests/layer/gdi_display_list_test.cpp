// Drawing recorded as display lists on memory bitmaps until it is read,
// replayed only where it changed, and copied to a frame only where the
// frame differs: whatever the path, a frame must hold exactly what drawing
// straight on it gives.
#include <gtest/gtest.h>

#include <cairo.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "gdi/draw_cache/draw_cache.h"
#include "gdi/draw_cache/display_list.h"
#include "gdi/gdi_internal.h"
#include "gdi/text.h"
#include "win32_layer.h"

namespace {

constexpr int kWidth = 200;
constexpr int kHeight = 120;
constexpr RECT kAll{0, 0, kWidth, kHeight};

// What may differ from one frame to the next.
struct Scene {
  COLORREF background = RGB(20, 21, 27);
  std::wstring time = L"1:23.45";
  COLORREF timeColour = RGB(240, 240, 240);
  int timeHeight = -32;
  int labelWeight = FW_NORMAL;
  int penWidth = 2;
  COLORREF barColour = RGB(90, 120, 170);
  int bkMode = TRANSPARENT;
  int labelX = 10;
  RECT labelBox{0, 80, 120, 100};
};

void Fill(HDC dc, RECT r, COLORREF colour) {
  HBRUSH brush = CreateSolidBrush(colour);
  FillRect(dc, &r, brush);
  DeleteObject(brush);
}

HFONT Font(int height, int weight) {
  return CreateFontW(height, 0, 0, 0, weight, FALSE, FALSE, FALSE, DEFAULT_CHARSET, 0, 0, 0, 0, L"Segoe UI");
}

// Paints as the shell does: every object made for one call and deleted
// right after it.
void Paint(HDC dc, const Scene& s) {
  Fill(dc, kAll, s.background);
  HFONT timeFont = Font(s.timeHeight, FW_NORMAL);
  HGDIOBJ oldFont = SelectObject(dc, timeFont);
  SetBkMode(dc, s.bkMode);
  SetBkColor(dc, RGB(60, 0, 0));
  SetTextColor(dc, s.timeColour);
  TextOutW(dc, 30, 4, s.time.c_str(), static_cast<int>(s.time.size()));
  SelectObject(dc, oldFont);
  DeleteObject(timeFont);

  HPEN pen = CreatePen(PS_SOLID, s.penWidth, RGB(200, 200, 80));
  HBRUSH brush = CreateSolidBrush(s.barColour);
  HGDIOBJ oldPen = SelectObject(dc, pen);
  HGDIOBJ oldBrush = SelectObject(dc, brush);
  RoundRect(dc, 20, 50, 180, 60, 6, 6);
  Ellipse(dc, 150, 70, 190, 110);
  MoveToEx(dc, 5, 45, nullptr);
  LineTo(dc, 195, 45);
  const POINT zigzag[] = {{10, 110}, {40, 65}, {70, 110}};
  Polyline(dc, zigzag, 3);
  SelectObject(dc, oldBrush);
  SelectObject(dc, oldPen);
  DeleteObject(brush);
  DeleteObject(pen);

  HFONT labelFont = Font(-14, s.labelWeight);
  oldFont = SelectObject(dc, labelFont);
  SetTextColor(dc, RGB(180, 220, 255));
  RECT box = s.labelBox;
  box.left = s.labelX;
  DrawTextW(dc, L"Split &Boss +0.25", -1, &box, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
  SelectObject(dc, oldFont);
  DeleteObject(labelFont);
}

cairo_surface_t* NewFrame() { return cairo_image_surface_create(CAIRO_FORMAT_RGB24, kWidth, kHeight); }

std::vector<std::uint32_t> PixelsOf(cairo_surface_t* surface) {
  cairo_surface_flush(surface);
  std::vector<std::uint32_t> pixels;
  const unsigned char* data = cairo_image_surface_get_data(surface);
  const int stride = cairo_image_surface_get_stride(surface);
  for (int y = 0; y < kHeight; ++y) {
    const auto* row = reinterpret_cast<const std::uint32_t*>(data + y * stride);
    for (int x = 0; x < kWidth; ++x) pixels.push_back(row[x] & 0xFFFFFF);
  }
  return pixels;
}

using Drawing = std::function<void(HDC)>;

// The drawing done straight on a frame, where nothing is recorded.
std::vector<std::uint32_t> Straight(const Drawing& draw) {
  cairo_surface_t* frame = NewFrame();
  HDC dc = platform::gdi::CreateFrameDC(frame, 0, 0, kAll);
  draw(dc);
  platform::gdi::ReleaseFrameDC(dc);
  std::vector<std::uint32_t> pixels = PixelsOf(frame);
  cairo_surface_destroy(frame);
  return pixels;
}

std::vector<std::uint32_t> Straight(const Scene& s) {
  return Straight([&](HDC dc) { Paint(dc, s); });
}

// One frame as the shell paints it: on a new memory bitmap, then copied
// whole to the frame. `inspect` sees the bitmap between the drawing and
// the copy. Returns what changed on the frame.
RECT PaintBuffered(cairo_surface_t* frame, const Drawing& draw, std::vector<RECT> childAreas = {},
                   const Drawing& inspect = {}) {
  HDC dc = platform::gdi::CreateFrameDC(frame, 0, 0, kAll, std::move(childAreas));
  HDC memory = CreateCompatibleDC(dc);
  HBITMAP bitmap = CreateCompatibleBitmap(dc, kWidth, kHeight);
  HGDIOBJ old = SelectObject(memory, bitmap);
  draw(memory);
  if (inspect) inspect(memory);
  BitBlt(dc, 0, 0, kWidth, kHeight, memory, 0, 0, SRCCOPY);
  SelectObject(memory, old);
  DeleteObject(bitmap);
  DeleteDC(memory);
  return platform::gdi::ReleaseFrameDC(dc);
}

RECT PaintBuffered(cairo_surface_t* frame, const Scene& s, std::vector<RECT> childAreas = {}) {
  return PaintBuffered(
      frame, [&](HDC dc) { Paint(dc, s); }, std::move(childAreas));
}

bool IsEmpty(const RECT& r) { return r.right <= r.left || r.bottom <= r.top; }

class DisplayListTest : public ::testing::Test {
 protected:
  void TearDown() override { cairo_surface_destroy(frame_); }
  cairo_surface_t* frame_ = NewFrame();
};

TEST_F(DisplayListTest, EveryFrameHoldsWhatDrawingStraightOnItGives) {
  std::vector<std::pair<const char*, Scene>> frames;
  Scene s;
  frames.push_back({"first", s});
  frames.push_back({"repeat", s});
  s.time = L"1:23.46";
  frames.push_back({"new time", s});
  s.time = L"11:23.46";
  frames.push_back({"wider time", s});
  s.time = L"1:23.46";
  frames.push_back({"narrower again", s});
  s.timeColour = RGB(255, 80, 80);
  frames.push_back({"text colour", s});
  s.timeHeight = -40;
  frames.push_back({"font height", s});
  s.labelWeight = FW_BOLD;
  frames.push_back({"font weight", s});
  s.penWidth = 1;
  frames.push_back({"pen width", s});
  s.barColour = RGB(40, 140, 80);
  frames.push_back({"brush colour", s});
  s.bkMode = OPAQUE;
  frames.push_back({"opaque text", s});
  s.labelX = 11;
  frames.push_back({"moved a pixel", s});
  s.labelBox = RECT{0, 80, 60, 100};
  frames.push_back({"narrower clip", s});
  frames.push_back({"back to the first", Scene{}});
  for (const auto& [what, scene] : frames) {
    PaintBuffered(frame_, scene);
    EXPECT_EQ(PixelsOf(frame_), Straight(scene)) << what;
  }
}

TEST_F(DisplayListTest, ARepeatChangesNothingAndANewTimeOnlyItsOwnPart) {
  if (!platform::draw_cache::Enabled()) GTEST_SKIP() << "measures what the drawing cache saves";
  Scene s;
  EXPECT_FALSE(IsEmpty(PaintBuffered(frame_, s)));
  EXPECT_TRUE(IsEmpty(PaintBuffered(frame_, s))) << "the same frame again";
  s.time = L"1:23.46";
  const RECT changed = PaintBuffered(frame_, s);
  ASSERT_FALSE(IsEmpty(changed));
  EXPECT_LT(changed.bottom, 50) << "only the time's rows, not the shapes below";
  EXPECT_EQ(PixelsOf(frame_), Straight(s));
  // Only the last digit changed: the copy starts near it, not at the time's start.
  HFONT font = Font(s.timeHeight, FW_NORMAL);
  SIZE unchanged{};
  Straight([&](HDC dc) {
    HGDIOBJ old = SelectObject(dc, font);
    GetTextExtentPoint32W(dc, L"1:23.4", 6, &unchanged);
    SelectObject(dc, old);
  });
  DeleteObject(font);
  EXPECT_GE(changed.left, 30 + unchanged.cx - 4) << "the time's start was redrawn and sent";
  // A time that grows a digit has more calls than the last: what follows it
  // is still the same and stays.
  s.time = L"11:23.46";
  const RECT grown = PaintBuffered(frame_, s);
  EXPECT_LT(grown.bottom, 50) << "only the time's rows, not the shapes below";
  EXPECT_GE(grown.left, 30 - 4) << "the shapes left of the time were redrawn";
  EXPECT_EQ(PixelsOf(frame_), Straight(s));
  s.time = L"1:23.46";
  const RECT shrunk = PaintBuffered(frame_, s);
  EXPECT_LT(shrunk.bottom, 50) << "one digit fewer";
  EXPECT_GE(shrunk.left, 30 - 4) << "one digit fewer";
  EXPECT_EQ(PixelsOf(frame_), Straight(s));
}

// Kerning ("11") can leave a digit off the pixel grid; a running time still
// changes only its new digits, and in every frame exactly as pango draws it.
TEST_F(DisplayListTest, AKernedTimeStillChangesOnlyItsNewDigits) {
  if (!platform::draw_cache::Enabled()) GTEST_SKIP() << "measures what the drawing cache saves";
  Scene s;
  s.timeHeight = -64;
  s.time = L"3.09";
  PaintBuffered(frame_, s);
  HFONT font = Font(s.timeHeight, FW_NORMAL);
  for (const wchar_t* time : {L"3.10", L"3.11", L"3.12", L"3.11", L"11.11"}) {
    const std::wstring before = s.time;
    s.time = time;
    const RECT changed = PaintBuffered(frame_, s);
    EXPECT_EQ(PixelsOf(frame_), Straight(s)) << platform::gdi::ToUtf8(time, -1);
    std::size_t same = 0;
    while (same < before.size() && before[same] == s.time[same]) ++same;
    SIZE unchanged{};
    Straight([&](HDC dc) {
      HGDIOBJ old = SelectObject(dc, font);
      GetTextExtentPoint32W(dc, s.time.c_str(), static_cast<int>(same), &unchanged);
      SelectObject(dc, old);
    });
    // A kerned pair moves its second digit: one digit more may change.
    SIZE digit{};
    Straight([&](HDC dc) {
      HGDIOBJ old = SelectObject(dc, font);
      GetTextExtentPoint32W(dc, L"0", 1, &digit);
      SelectObject(dc, old);
    });
    EXPECT_GE(changed.left, 30 + unchanged.cx - digit.cx - 4) << platform::gdi::ToUtf8(time, -1);
  }
  DeleteObject(font);
}

TEST_F(DisplayListTest, APaintGivenUpHalfWayLeavesNothingBehind) {
  const Scene first;
  PaintBuffered(frame_, first);
  Scene other;
  other.timeColour = RGB(255, 0, 0);
  other.barColour = RGB(255, 0, 255);
  // The same calls as the first paint but a new background: all of it is
  // drawn again, and from the first paint's calls, not the given-up ones.
  Scene again = first;
  again.background = RGB(0, 0, 40);

  // Painted, then deleted without a copy.
  HDC screen = CreateCompatibleDC(nullptr);
  HDC memory = CreateCompatibleDC(screen);
  HBITMAP bitmap = CreateCompatibleBitmap(screen, kWidth, kHeight);
  HGDIOBJ old = SelectObject(memory, bitmap);
  Paint(memory, other);
  SelectObject(memory, old);
  DeleteObject(bitmap);
  PaintBuffered(frame_, again);
  EXPECT_EQ(PixelsOf(frame_), Straight(again)) << "after a deleted bitmap";

  // Painted over by a second whole fill in the same paint.
  HDC dc = platform::gdi::CreateFrameDC(frame_, 0, 0, kAll);
  bitmap = CreateCompatibleBitmap(screen, kWidth, kHeight);
  old = SelectObject(memory, bitmap);
  Paint(memory, other);
  again.background = RGB(0, 40, 0);
  Paint(memory, again);
  BitBlt(dc, 0, 0, kWidth, kHeight, memory, 0, 0, SRCCOPY);
  platform::gdi::ReleaseFrameDC(dc);
  EXPECT_EQ(PixelsOf(frame_), Straight(again)) << "after a second whole fill";
  SelectObject(memory, old);
  DeleteObject(bitmap);
  DeleteDC(memory);
  DeleteDC(screen);
}

// Pixels put on the frame outside the display list: drawing straight on it
// between two paints is painted over by the next repeat; a child's area
// (an area the parent's copy may skip, since the child's pixels are put
// back after the parent's paint) is left alone only while it is one.
TEST_F(DisplayListTest, DrawingOnTheFrameIsPaintedOverUnlessItIsAChildArea) {
  if (!platform::draw_cache::Enabled()) GTEST_SKIP() << "measures what the drawing cache saves";
  const RECT child{120, 70, 200, 120};
  const struct {
    const char* what;
    std::vector<RECT> childAreas;
    RECT drawn;
    COLORREF colour;
    bool repeatChangesNothing;
  } rows[] = {
      {"drawn on in between", {}, RECT{100, 50, 140, 90}, RGB(255, 0, 0), false},
      {"a child's area", {child}, child, RGB(0, 0, 255), true},
  };
  const Scene s;
  for (const auto& row : rows) {
    SCOPED_TRACE(row.what);
    PaintBuffered(frame_, s, row.childAreas);
    HDC dc = platform::gdi::CreateFrameDC(frame_, 0, 0, row.childAreas.empty() ? kAll : row.drawn);
    Fill(dc, row.drawn, row.colour);
    platform::gdi::ReleaseFrameDC(dc);
    EXPECT_EQ(IsEmpty(PaintBuffered(frame_, s, row.childAreas)), row.repeatChangesNothing);
    if (row.childAreas.empty()) {
      EXPECT_EQ(PixelsOf(frame_), Straight(s));
    }
    // Without the child area it must show the parent's pixels again.
    PaintBuffered(frame_, s);
    EXPECT_EQ(PixelsOf(frame_), Straight(s));
  }
}

TEST_F(DisplayListTest, ReadsAndCopiesOntoARecordedBitmapSeeTheDrawingInOrder) {
  // A source with a pattern, copied into the middle of the drawing.
  HDC screen = CreateCompatibleDC(nullptr);
  HDC source = CreateCompatibleDC(screen);
  HBITMAP sourceBitmap = CreateCompatibleBitmap(screen, 40, 40);
  HGDIOBJ oldSource = SelectObject(source, sourceBitmap);
  Fill(source, RECT{0, 0, 40, 40}, RGB(0, 200, 0));
  Fill(source, RECT{10, 10, 30, 30}, RGB(200, 0, 200));

  const auto draw = [&](HDC dc) {
    Fill(dc, kAll, RGB(20, 21, 27));
    Fill(dc, RECT{0, 0, 60, 60}, RGB(250, 250, 0));
    EXPECT_EQ(GetPixel(dc, 5, 5), RGB(250, 250, 0)) << "a read sees what was drawn";
    BitBlt(dc, 20, 20, 40, 40, source, 0, 0, SRCCOPY);
    HPEN pen = CreatePen(PS_SOLID, 3, RGB(255, 255, 255));
    HGDIOBJ oldPen = SelectObject(dc, pen);
    MoveToEx(dc, 0, 40, nullptr);
    LineTo(dc, 100, 40);
    SelectObject(dc, oldPen);
    DeleteObject(pen);
  };
  // The second paint repeats the first up to the read, then draws at once.
  for (const char* paint : {"first paint", "repeated paint"}) {
    PaintBuffered(frame_, draw, {}, [](HDC memory) {
      EXPECT_EQ(GetPixel(memory, 25, 25), RGB(0, 200, 0));
      EXPECT_EQ(GetPixel(memory, 35, 40), RGB(255, 255, 255));
    });
    EXPECT_EQ(PixelsOf(frame_), Straight(draw)) << paint;
  }

  SelectObject(source, oldSource);
  DeleteObject(sourceBitmap);
  DeleteDC(source);
  DeleteDC(screen);
}

TEST_F(DisplayListTest, CallsPastTheBoundAreDrawnAtOnceAndAllArrive) {
  const int calls = static_cast<int>(platform::draw_cache::kMaxRecordedCalls) + 500;
  const auto draw = [&](HDC dc) {
    Fill(dc, kAll, RGB(0, 0, 0));
    for (int i = 0; i < calls; ++i) {
      const int x = i % kWidth, y = (i / kWidth) % kHeight;
      Fill(dc, RECT{x, y, x + 1, y + 1}, RGB(i & 0xFF, (i >> 8) & 0xFF, 77));
    }
  };
  for (const char* paint : {"first paint", "repeated paint", "again"}) {
    PaintBuffered(frame_, draw);
    EXPECT_EQ(PixelsOf(frame_), Straight(draw)) << paint;
  }
}

SIZE Extent(HFONT font, const wchar_t* text) {
  HDC dc = CreateCompatibleDC(nullptr);
  HGDIOBJ old = SelectObject(dc, font);
  SIZE size{};
  GetTextExtentPoint32W(dc, text, static_cast<int>(wcslen(text)), &size);
  SelectObject(dc, old);
  DeleteDC(dc);
  return size;
}

TEST(SharedFontFaces, FontsDifferingInAnyFieldMeasureApartAndOneInUseOutlivesTheCache) {
  const wchar_t* text = L"Mmmm 0:00.00";
  HFONT regular = Font(-18, FW_NORMAL);
  const SIZE regularSize = Extent(regular, text);
  const auto differs = [&](HFONT other, const char* what) {
    const SIZE size = Extent(other, text);
    EXPECT_TRUE(size.cx != regularSize.cx || size.cy != regularSize.cy) << what;
    DeleteObject(other);
  };
  differs(Font(-18, FW_BOLD), "weight");
  differs(Font(-24, FW_NORMAL), "height");
  differs(Font(18, FW_NORMAL), "cell height, not character height");
  differs(CreateFontW(-18, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET, 0, 0, 0, 0, L"Monospace"), "face");
  // More fonts than are remembered: the first one, still selected
  // somewhere, keeps measuring as before, and so does a new equal one.
  for (int height = 1; height <= 200; ++height) DeleteObject(Font(-height, FW_NORMAL));
  const SIZE again = Extent(regular, text);
  EXPECT_EQ(again.cx, regularSize.cx);
  EXPECT_EQ(again.cy, regularSize.cy);
  HFONT equal = Font(-18, FW_NORMAL);
  EXPECT_EQ(Extent(equal, text).cx, regularSize.cx);
  DeleteObject(equal);
  DeleteObject(regular);
}

TEST(SharedFontFaces, MeasuredTextsNeverAnswerForAnotherFont) {
  // Far more sizes than faces are remembered, each font deleted after one
  // measurement: a text measured with one must never answer for another.
  const wchar_t* text = L"0:00.00";
  std::vector<LONG> widths;
  for (int pass = 0; pass < 2; ++pass) {
    for (int height = 8; height <= 160; ++height) {
      HFONT font = Font(-height, FW_NORMAL);
      const LONG width = Extent(font, text).cx;
      DeleteObject(font);
      if (pass == 0) {
        if (!widths.empty()) {
          EXPECT_GE(width, widths.back()) << height;
        }
        widths.push_back(width);
      } else {
        EXPECT_EQ(width, widths[static_cast<std::size_t>(height - 8)]) << height;
      }
    }
  }
  EXPECT_GT(widths.back(), widths.front() * 10);
}

}  // namespace
