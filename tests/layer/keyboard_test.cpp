// The US keyboard tables: scan codes and the names GetKeyNameTextW gives.
#include <gtest/gtest.h>

#include <string>
#include <vector>

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
  // clang-format off
  const Row rows[] = {
      {VK_SPACE, MAPVK_VK_TO_VSC, 0x39},  {'Q', MAPVK_VK_TO_VSC, 0x10},    {'7', MAPVK_VK_TO_VSC, 0x08},
      {'C', MAPVK_VK_TO_VSC, 0x2E},       {VK_UP, MAPVK_VK_TO_VSC, 0x48},  {VK_NUMPAD0 + 8, MAPVK_VK_TO_VSC, 0x48},
      {VK_F1, MAPVK_VK_TO_VSC, 0x3B},     {VK_F12, MAPVK_VK_TO_VSC, 0x58}, {0xFF, MAPVK_VK_TO_VSC, 0},
      {0x39, MAPVK_VSC_TO_VK, VK_SPACE},  {0x10, MAPVK_VSC_TO_VK, 'Q'},    {0x36, MAPVK_VSC_TO_VK, VK_SHIFT},
      {0x48, MAPVK_VSC_TO_VK, VK_UP},
  };
  // clang-format on
  for (const Row& r : rows)
    EXPECT_EQ(MapVirtualKeyW(r.code, r.map), r.expected) << std::hex << r.code << " map " << r.map;
  // Every letter and digit goes there and back.
  for (UINT vk : std::wstring(L"ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789")) {
    const UINT scan = MapVirtualKeyW(vk, MAPVK_VK_TO_VSC);
    EXPECT_NE(scan, 0u) << vk;
    EXPECT_EQ(MapVirtualKeyW(scan, MAPVK_VSC_TO_VK), vk) << vk;
  }
}

// Names by virtual key, with and without the extended flag, grouped by
// kind of key; keys that no virtual key maps to are named by scan code.
TEST(KeyboardTest, NamesOfPlainAndExtendedKeys) {
  struct Name {
    UINT vk;
    const wchar_t* name;
  };
  // clang-format off
  const std::vector<Name> plain = {
      {VK_SPACE, L"Space"}, {'Q', L"Q"}, {'7', L"7"}, {VK_OEM_1, L";"}, {VK_OEM_2, L"/"},
      {VK_ESCAPE, L"Esc"}, {VK_BACK, L"Backspace"}, {VK_RETURN, L"Enter"},
      {VK_SHIFT, L"Shift"}, {VK_RSHIFT, L"Right Shift"}, {VK_CONTROL, L"Ctrl"}, {VK_MENU, L"Alt"},
      {VK_CAPITAL, L"Caps Lock"}, {VK_F1, L"F1"}, {VK_F12, L"F12"}, {VK_F24, L"F24"},
      {VK_PAUSE, L"Pause"}, {VK_SCROLL, L"Scroll Lock"}, {VK_SNAPSHOT, L"Sys Req"}, {0xFF, L"<none>"},
      // Without the extended flag the arrows are keypad keys, as on Windows.
      {VK_MULTIPLY, L"Num *"}, {VK_DECIMAL, L"Num Del"}, {VK_UP, L"Num 8"}, {VK_INSERT, L"Num 0"},
  };
  const std::vector<Name> extended = {
      {VK_UP, L"Up"}, {VK_LEFT, L"Left"}, {VK_PRIOR, L"Page Up"}, {VK_NEXT, L"Page Down"},
      {VK_DELETE, L"Delete"}, {VK_HOME, L"Home"},
      {VK_RETURN, L"Num Enter"}, {VK_DIVIDE, L"Num /"}, {VK_NUMLOCK, L"Num Lock"},
      {VK_CONTROL, L"Right Ctrl"}, {VK_MENU, L"Right Alt"}, {VK_LWIN, L"Left Windows"}, {VK_APPS, L"Application"},
  };
  // clang-format on
  for (const bool isExtended : {false, true}) {
    for (const Name& key : isExtended ? extended : plain) {
      SCOPED_TRACE(testing::Message() << "key 0x" << std::hex << key.vk << (isExtended ? " extended" : ""));
      EXPECT_EQ(NameOfVk(key.vk, isExtended), key.name);
    }
  }
  EXPECT_EQ(NameOf(0x37, true), L"Prnt Scrn");
  EXPECT_EQ(NameOf(0x46, true), L"Break");
}

TEST(KeyboardTest, NameBufferIsCutAndTerminated) {
  wchar_t buffer[4] = {L'x', L'x', L'x', L'x'};
  EXPECT_EQ(GetKeyNameTextW(0x39 << 16, buffer, 4), 3);
  EXPECT_STREQ(buffer, L"Spa");
  EXPECT_EQ(GetKeyNameTextW(0x39 << 16, buffer, 0), 0);
  EXPECT_EQ(GetKeyNameTextW(0x39 << 16, nullptr, 4), 0);
}

}  // namespace
