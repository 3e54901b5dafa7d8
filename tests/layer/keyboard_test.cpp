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
  EXPECT_EQ(MapVirtualKeyW(VK_SPACE, MAPVK_VK_TO_VSC), 0x39u);
  EXPECT_EQ(MapVirtualKeyW('Q', MAPVK_VK_TO_VSC), 0x10u);
  EXPECT_EQ(MapVirtualKeyW('7', MAPVK_VK_TO_VSC), 0x08u);
  EXPECT_EQ(MapVirtualKeyW('C', MAPVK_VK_TO_VSC), 0x2Eu);
  EXPECT_EQ(MapVirtualKeyW(VK_UP, MAPVK_VK_TO_VSC), 0x48u);
  EXPECT_EQ(MapVirtualKeyW(VK_NUMPAD0 + 8, MAPVK_VK_TO_VSC), 0x48u);
  EXPECT_EQ(MapVirtualKeyW(VK_F1, MAPVK_VK_TO_VSC), 0x3Bu);
  EXPECT_EQ(MapVirtualKeyW(VK_F12, MAPVK_VK_TO_VSC), 0x58u);
  EXPECT_EQ(MapVirtualKeyW(0xFF, MAPVK_VK_TO_VSC), 0u);
  EXPECT_EQ(MapVirtualKeyW(0x39, MAPVK_VSC_TO_VK), static_cast<UINT>(VK_SPACE));
  EXPECT_EQ(MapVirtualKeyW(0x10, MAPVK_VSC_TO_VK), static_cast<UINT>('Q'));
  EXPECT_EQ(MapVirtualKeyW(0x36, MAPVK_VSC_TO_VK), static_cast<UINT>(VK_SHIFT));
  EXPECT_EQ(MapVirtualKeyW(0x48, MAPVK_VSC_TO_VK), static_cast<UINT>(VK_UP));
  // Every letter and digit goes there and back.
  for (UINT vk : std::wstring(L"ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789")) {
    const UINT scan = MapVirtualKeyW(vk, MAPVK_VK_TO_VSC);
    EXPECT_NE(scan, 0u) << vk;
    EXPECT_EQ(MapVirtualKeyW(scan, MAPVK_VSC_TO_VK), vk) << vk;
  }
}

TEST(KeyboardTest, NamesOfPlainKeys) {
  EXPECT_EQ(NameOfVk(VK_SPACE), L"Space");
  EXPECT_EQ(NameOfVk('Q'), L"Q");
  EXPECT_EQ(NameOfVk('7'), L"7");
  EXPECT_EQ(NameOfVk(VK_OEM_1), L";");
  EXPECT_EQ(NameOfVk(VK_OEM_2), L"/");
  EXPECT_EQ(NameOfVk(VK_ESCAPE), L"Esc");
  EXPECT_EQ(NameOfVk(VK_BACK), L"Backspace");
  EXPECT_EQ(NameOfVk(VK_RETURN), L"Enter");
  EXPECT_EQ(NameOfVk(VK_SHIFT), L"Shift");
  EXPECT_EQ(NameOfVk(VK_RSHIFT), L"Right Shift");
  EXPECT_EQ(NameOfVk(VK_CONTROL), L"Ctrl");
  EXPECT_EQ(NameOfVk(VK_MENU), L"Alt");
  EXPECT_EQ(NameOfVk(VK_CAPITAL), L"Caps Lock");
  EXPECT_EQ(NameOfVk(VK_F1), L"F1");
  EXPECT_EQ(NameOfVk(VK_F12), L"F12");
  EXPECT_EQ(NameOfVk(VK_F24), L"F24");
  EXPECT_EQ(NameOfVk(VK_PAUSE), L"Pause");
  EXPECT_EQ(NameOfVk(VK_SCROLL), L"Scroll Lock");
  EXPECT_EQ(NameOfVk(VK_MULTIPLY), L"Num *");
  EXPECT_EQ(NameOfVk(VK_DECIMAL), L"Num Del");
  EXPECT_EQ(NameOfVk(VK_SNAPSHOT), L"Sys Req");
  // Without the extended flag the arrows are keypad keys, as on Windows.
  EXPECT_EQ(NameOfVk(VK_UP), L"Num 8");
  EXPECT_EQ(NameOfVk(VK_INSERT), L"Num 0");
  EXPECT_EQ(NameOfVk(0xFF), L"<none>");
}

TEST(KeyboardTest, NamesOfExtendedKeys) {
  EXPECT_EQ(NameOfVk(VK_UP, true), L"Up");
  EXPECT_EQ(NameOfVk(VK_LEFT, true), L"Left");
  EXPECT_EQ(NameOfVk(VK_PRIOR, true), L"Page Up");
  EXPECT_EQ(NameOfVk(VK_NEXT, true), L"Page Down");
  EXPECT_EQ(NameOfVk(VK_DELETE, true), L"Delete");
  EXPECT_EQ(NameOfVk(VK_HOME, true), L"Home");
  EXPECT_EQ(NameOfVk(VK_RETURN, true), L"Num Enter");
  EXPECT_EQ(NameOfVk(VK_CONTROL, true), L"Right Ctrl");
  EXPECT_EQ(NameOfVk(VK_MENU, true), L"Right Alt");
  EXPECT_EQ(NameOfVk(VK_DIVIDE, true), L"Num /");
  EXPECT_EQ(NameOfVk(VK_NUMLOCK, true), L"Num Lock");
  EXPECT_EQ(NameOfVk(VK_LWIN, true), L"Left Windows");
  EXPECT_EQ(NameOfVk(VK_APPS, true), L"Application");
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
