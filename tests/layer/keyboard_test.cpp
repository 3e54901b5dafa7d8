// The US keyboard tables: scan codes and the names GetKeyNameTextW gives.
#include <gtest/gtest.h>

#include <string>

#include "win32_layer.h"

namespace {

std::wstring NameOf(UINT scan, bool extended) {
  wchar_t buffer[128];
  const LONG lParam = static_cast<LONG>((scan << 16) | (extended ? 1u << 24 : 0u));
  const int n = GetKeyNameTextW(lParam, buffer, 128);
  if (n <= 0) return L"<none>";
  return std::wstring(buffer, static_cast<std::size_t>(n));
}

std::wstring NameOfVk(UINT vk, bool extended = false) { return NameOf(MapVirtualKeyW(vk, MAPVK_VK_TO_VSC), extended); }

TEST(KeyboardTest, ScanCodesOfAUsLayoutBothWays) {
  struct Row {
    UINT code, map, expected;
  };
  const Row rows[] = {
      {VK_SPACE, MAPVK_VK_TO_VSC, 0x39},  {'Q', MAPVK_VK_TO_VSC, 0x10},    {'7', MAPVK_VK_TO_VSC, 0x08},
      {'C', MAPVK_VK_TO_VSC, 0x2E},       {VK_UP, MAPVK_VK_TO_VSC, 0x48},  {VK_NUMPAD0 + 8, MAPVK_VK_TO_VSC, 0x48},
      {VK_F1, MAPVK_VK_TO_VSC, 0x3B},     {VK_F12, MAPVK_VK_TO_VSC, 0x58}, {0xFF, MAPVK_VK_TO_VSC, 0},
      {0x39, MAPVK_VSC_TO_VK, VK_SPACE},  {0x10, MAPVK_VSC_TO_VK, 'Q'},    {0x36, MAPVK_VSC_TO_VK, VK_SHIFT},
      {0x48, MAPVK_VSC_TO_VK, VK_UP},
  };
  for (const Row& r : rows) EXPECT_EQ(MapVirtualKeyW(r.code, r.map), r.expected) << std::hex << r.code << " map " << r.map;
  // Every letter and digit goes there and back.
  for (UINT vk : std::wstring(L"ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789")) {
    const UINT scan = MapVirtualKeyW(vk, MAPVK_VK_TO_VSC);
    EXPECT_NE(scan, 0u) << vk;
    EXPECT_EQ(MapVirtualKeyW(scan, MAPVK_VSC_TO_VK), vk) << vk;
  }
}

// Names by virtual key (or by scan code where no key maps there), with and
// without the extended flag.
TEST(KeyboardTest, NamesOfPlainAndExtendedKeys) {
  struct Row {
    UINT vk;
    bool extended;
    const wchar_t* name;
    bool isScan = false;
  };
  const Row rows[] = {
      {VK_SPACE, false, L"Space"},         {'Q', false, L"Q"},
      {'7', false, L"7"},                  {VK_OEM_1, false, L";"},
      {VK_OEM_2, false, L"/"},             {VK_ESCAPE, false, L"Esc"},
      {VK_BACK, false, L"Backspace"},      {VK_RETURN, false, L"Enter"},
      {VK_SHIFT, false, L"Shift"},         {VK_RSHIFT, false, L"Right Shift"},
      {VK_CONTROL, false, L"Ctrl"},        {VK_MENU, false, L"Alt"},
      {VK_CAPITAL, false, L"Caps Lock"},   {VK_F1, false, L"F1"},
      {VK_F12, false, L"F12"},             {VK_F24, false, L"F24"},
      {VK_PAUSE, false, L"Pause"},         {VK_SCROLL, false, L"Scroll Lock"},
      {VK_MULTIPLY, false, L"Num *"},      {VK_DECIMAL, false, L"Num Del"},
      {VK_SNAPSHOT, false, L"Sys Req"},
      // Without the extended flag the arrows are keypad keys, as on Windows.
      {VK_UP, false, L"Num 8"},            {VK_INSERT, false, L"Num 0"},
      {0xFF, false, L"<none>"},
      {VK_UP, true, L"Up"},                {VK_LEFT, true, L"Left"},
      {VK_PRIOR, true, L"Page Up"},        {VK_NEXT, true, L"Page Down"},
      {VK_DELETE, true, L"Delete"},        {VK_HOME, true, L"Home"},
      {VK_RETURN, true, L"Num Enter"},     {VK_CONTROL, true, L"Right Ctrl"},
      {VK_MENU, true, L"Right Alt"},       {VK_DIVIDE, true, L"Num /"},
      {VK_NUMLOCK, true, L"Num Lock"},     {VK_LWIN, true, L"Left Windows"},
      {VK_APPS, true, L"Application"},     {0x37, true, L"Prnt Scrn", true},
      {0x46, true, L"Break", true},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(testing::Message() << "key 0x" << std::hex << r.vk << (r.extended ? " extended" : ""));
    EXPECT_EQ(r.isScan ? NameOf(r.vk, r.extended) : NameOfVk(r.vk, r.extended), r.name);
  }
}

TEST(KeyboardTest, NameBufferIsCutAndTerminated) {
  wchar_t buffer[4] = {L'x', L'x', L'x', L'x'};
  EXPECT_EQ(GetKeyNameTextW(0x39 << 16, buffer, 4), 3);
  EXPECT_STREQ(buffer, L"Spa");
  EXPECT_EQ(GetKeyNameTextW(0x39 << 16, buffer, 0), 0);
  EXPECT_EQ(GetKeyNameTextW(0x39 << 16, nullptr, 4), 0);
}

}  // namespace
