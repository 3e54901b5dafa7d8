#include <gtest/gtest.h>

#include <X11/keysym.h>

#include "x11/keymap.h"

using platform::x11::IsKeypadKeysym;
using platform::x11::KeyForKeysym;
using platform::x11::KeyForScan;
using platform::x11::KeysymNameOfVk;
using platform::x11::KeysymsForVk;

namespace {

struct Expected {
  KeySym sym;
  UINT vk;
  UINT scan;
  bool extended;
};

// Virtual keys and set-1 scan codes as Windows reports them for a US keyboard.
TEST(KeyTable, KeysOfAPcKeyboardGiveTheirWindowsCodes) {
  // clang-format off
  const Expected keys[] = {
      {XK_q, 'Q', 0x10, false},         {XK_Q, 'Q', 0x10, false},
      {XK_m, 'M', 0x32, false},         {XK_z, 'Z', 0x2C, false},
      {XK_7, '7', 0x08, false},         {XK_0, '0', 0x0B, false},
      {XK_space, VK_SPACE, 0x39, false}, {XK_Escape, VK_ESCAPE, 0x01, false},
      {XK_Return, VK_RETURN, 0x1C, false}, {XK_KP_Enter, VK_RETURN, 0x1C, true},
      {XK_BackSpace, VK_BACK, 0x0E, false}, {XK_Tab, VK_TAB, 0x0F, false},
      {XK_F1, VK_F1, 0x3B, false},      {XK_F10, VK_F10, 0x44, false},
      {XK_F11, VK_F1 + 10, 0x57, false}, {XK_F12, VK_F12, 0x58, false},
      {XK_F13, VK_F1 + 12, 0x64, false}, {XK_F24, VK_F24, 0x76, false},
      {XK_Up, VK_UP, 0x48, true},       {XK_Down, VK_DOWN, 0x50, true},
      {XK_Left, VK_LEFT, 0x4B, true},   {XK_Right, VK_RIGHT, 0x4D, true},
      {XK_Home, VK_HOME, 0x47, true},   {XK_End, VK_END, 0x4F, true},
      {XK_Prior, VK_PRIOR, 0x49, true}, {XK_Next, VK_NEXT, 0x51, true},
      {XK_Insert, VK_INSERT, 0x52, true}, {XK_Delete, VK_DELETE, 0x53, true},
      {XK_KP_Home, VK_HOME, 0x47, false}, {XK_KP_7, VK_NUMPAD0 + 7, 0x47, false},
      {XK_KP_Up, VK_UP, 0x48, false},   {XK_KP_8, VK_NUMPAD0 + 8, 0x48, false},
      {XK_KP_Insert, VK_INSERT, 0x52, false}, {XK_KP_0, VK_NUMPAD0, 0x52, false},
      {XK_KP_Delete, VK_DELETE, 0x53, false}, {XK_KP_Decimal, VK_DECIMAL, 0x53, false},
      {XK_KP_Begin, VK_CLEAR, 0x4C, false}, {XK_KP_Divide, VK_DIVIDE, 0x35, true},
      {XK_KP_Multiply, VK_MULTIPLY, 0x37, false}, {XK_KP_Subtract, VK_SUBTRACT, 0x4A, false},
      {XK_KP_Add, VK_ADD, 0x4E, false},
      {XK_Shift_L, VK_SHIFT, 0x2A, false}, {XK_Shift_R, VK_SHIFT, 0x36, false},
      {XK_Control_L, VK_CONTROL, 0x1D, false}, {XK_Control_R, VK_CONTROL, 0x1D, true},
      {XK_Alt_L, VK_MENU, 0x38, false},  {XK_Alt_R, VK_MENU, 0x38, true},
      {XK_ISO_Level3_Shift, VK_MENU, 0x38, true},
      {XK_Super_L, VK_LWIN, 0x5B, true}, {XK_Super_R, VK_RWIN, 0x5C, true},
      {XK_Menu, VK_APPS, 0x5D, true},
      {XK_Caps_Lock, VK_CAPITAL, 0x3A, false}, {XK_Num_Lock, VK_NUMLOCK, 0x45, true},
      {XK_Scroll_Lock, VK_SCROLL, 0x46, false}, {XK_Pause, VK_PAUSE, 0x45, false},
      {XK_Print, VK_SNAPSHOT, 0x37, true},
      {XK_semicolon, VK_OEM_1, 0x27, false}, {XK_equal, VK_OEM_PLUS, 0x0D, false},
      {XK_comma, VK_OEM_COMMA, 0x33, false}, {XK_minus, VK_OEM_MINUS, 0x0C, false},
      {XK_period, VK_OEM_PERIOD, 0x34, false}, {XK_slash, VK_OEM_2, 0x35, false},
      {XK_grave, VK_OEM_3, 0x29, false}, {XK_bracketleft, VK_OEM_4, 0x1A, false},
      {XK_backslash, VK_OEM_5, 0x2B, false}, {XK_bracketright, VK_OEM_6, 0x1B, false},
      {XK_apostrophe, VK_OEM_7, 0x28, false}, {XK_less, VK_OEM_102, 0x56, false},
  };
  // clang-format on
  for (const Expected& e : keys) {
    const auto key = KeyForKeysym(e.sym);
    EXPECT_EQ(key.vk, e.vk) << XKeysymToString(e.sym);
    EXPECT_EQ(key.scan, e.scan) << XKeysymToString(e.sym);
    EXPECT_EQ(key.extended, e.extended) << XKeysymToString(e.sym);
  }
  EXPECT_EQ(KeyForKeysym(XK_adiaeresis).vk, 0u);
  EXPECT_EQ(KeyForKeysym(NoSymbol).vk, 0u);
}

TEST(KeyTable, EveryLetterDigitAndFunctionKeyHasAKeysymThatMapsBack) {
  std::vector<UINT> vks;
  for (UINT vk = 'A'; vk <= 'Z'; ++vk) vks.push_back(vk);
  for (UINT vk = '0'; vk <= '9'; ++vk) vks.push_back(vk);
  for (UINT vk = VK_F1; vk <= VK_F24; ++vk) vks.push_back(vk);
  for (UINT vk = VK_NUMPAD0; vk <= VK_NUMPAD9; ++vk) vks.push_back(vk);
  for (UINT vk = VK_OEM_1; vk <= VK_OEM_3; ++vk) vks.push_back(vk);
  for (UINT vk = VK_OEM_4; vk <= VK_OEM_7; ++vk) vks.push_back(vk);
  for (UINT vk : {VK_SPACE, VK_RETURN, VK_ESCAPE, VK_TAB, VK_BACK, VK_UP, VK_HOME, VK_MULTIPLY, VK_ADD, VK_SUBTRACT,
                  VK_DECIMAL, VK_DIVIDE, VK_PAUSE, VK_SCROLL, VK_SNAPSHOT, VK_APPS})
    vks.push_back(vk);
  for (UINT vk : vks) {
    const auto syms = KeysymsForVk(vk);
    ASSERT_FALSE(syms.empty()) << std::hex << vk;
    EXPECT_EQ(KeyForKeysym(syms.front()).vk, vk) << std::hex << vk;
  }
  EXPECT_TRUE(KeysymsForVk(0xFF).empty());
}

// A hotkey on an arrow or Home must grab the dedicated key, not the keypad one.
TEST(KeyTable, HotkeysPreferTheDedicatedKeyOverTheKeypad) {
  EXPECT_EQ(KeysymsForVk(VK_HOME).front(), static_cast<KeySym>(XK_Home));
  EXPECT_EQ(KeysymsForVk(VK_UP).front(), static_cast<KeySym>(XK_Up));
  EXPECT_EQ(KeysymsForVk(VK_RETURN).front(), static_cast<KeySym>(XK_Return));
  EXPECT_EQ(KeysymsForVk(VK_SHIFT).front(), static_cast<KeySym>(XK_Shift_L));
  EXPECT_EQ(KeysymsForVk(VK_NUMPAD0 + 7).front(), static_cast<KeySym>(XK_KP_7));
}

TEST(KeyTable, KeysOfOtherLayoutsAreNamedByTheirPlace) {
  EXPECT_EQ(KeyForScan(0x10).vk, static_cast<UINT>('Q'));       // A on a French keyboard
  EXPECT_EQ(KeyForScan(0x27).vk, static_cast<UINT>(VK_OEM_1));  // Ö on a German one
  EXPECT_FALSE(KeyForScan(0x27).extended);
  EXPECT_EQ(KeyForScan(0x7F).vk, 0u);
}

TEST(KeyTable, KeypadKeysymsAreTold) {
  EXPECT_TRUE(IsKeypadKeysym(XK_KP_Home));
  EXPECT_TRUE(IsKeypadKeysym(XK_KP_7));
  EXPECT_TRUE(IsKeypadKeysym(XK_KP_Enter));
  EXPECT_FALSE(IsKeypadKeysym(XK_Home));
  EXPECT_FALSE(IsKeypadKeysym(XK_7));
}

// The names the desktop's global shortcuts are offered as triggers: xkb
// keysym names of the bare key.
TEST(KeyTable, KeysymNamesOfBareKeys) {
  EXPECT_EQ(KeysymNameOfVk(VK_SPACE), "space");
  EXPECT_EQ(KeysymNameOfVk('C'), "c");  // the unshifted keysym: no Shift in the trigger
  EXPECT_EQ(KeysymNameOfVk('7'), "7");
  EXPECT_EQ(KeysymNameOfVk(VK_F1 + 4), "F5");
  EXPECT_EQ(KeysymNameOfVk(VK_UP), "Up");  // the dedicated key, not the keypad's
  EXPECT_EQ(KeysymNameOfVk(0xFF), "");
}

}  // namespace
