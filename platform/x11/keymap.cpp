#include "x11/keymap.h"

#include <X11/keysym.h>

#include <iterator>

namespace platform::x11 {
namespace {

struct Entry {
  KeySym sym;
  UINT vk;
  UINT scan;
  bool extended;
};

// Where several keysyms give one virtual key, the dedicated key comes first:
// hotkey grabs take the first keysym that has a key on this keyboard.
// clang-format off
constexpr Entry kKeys[] = {
    // Letters (level 0 is the lower-case keysym).
    {XK_a, 'A', 0x1E, false}, {XK_b, 'B', 0x30, false}, {XK_c, 'C', 0x2E, false},
    {XK_d, 'D', 0x20, false}, {XK_e, 'E', 0x12, false}, {XK_f, 'F', 0x21, false},
    {XK_g, 'G', 0x22, false}, {XK_h, 'H', 0x23, false}, {XK_i, 'I', 0x17, false},
    {XK_j, 'J', 0x24, false}, {XK_k, 'K', 0x25, false}, {XK_l, 'L', 0x26, false},
    {XK_m, 'M', 0x32, false}, {XK_n, 'N', 0x31, false}, {XK_o, 'O', 0x18, false},
    {XK_p, 'P', 0x19, false}, {XK_q, 'Q', 0x10, false}, {XK_r, 'R', 0x13, false},
    {XK_s, 'S', 0x1F, false}, {XK_t, 'T', 0x14, false}, {XK_u, 'U', 0x16, false},
    {XK_v, 'V', 0x2F, false}, {XK_w, 'W', 0x11, false}, {XK_x, 'X', 0x2D, false},
    {XK_y, 'Y', 0x15, false}, {XK_z, 'Z', 0x2C, false},
    // Digits of the main block.
    {XK_1, '1', 0x02, false}, {XK_2, '2', 0x03, false}, {XK_3, '3', 0x04, false},
    {XK_4, '4', 0x05, false}, {XK_5, '5', 0x06, false}, {XK_6, '6', 0x07, false},
    {XK_7, '7', 0x08, false}, {XK_8, '8', 0x09, false}, {XK_9, '9', 0x0A, false},
    {XK_0, '0', 0x0B, false},
    // Main block, other keys.
    {XK_Escape, VK_ESCAPE, 0x01, false},
    {XK_minus, VK_OEM_MINUS, 0x0C, false},
    {XK_equal, VK_OEM_PLUS, 0x0D, false},
    {XK_BackSpace, VK_BACK, 0x0E, false},
    {XK_Tab, VK_TAB, 0x0F, false},
    {XK_ISO_Left_Tab, VK_TAB, 0x0F, false},
    {XK_bracketleft, VK_OEM_4, 0x1A, false},
    {XK_bracketright, VK_OEM_6, 0x1B, false},
    {XK_Return, VK_RETURN, 0x1C, false},
    {XK_Control_L, VK_CONTROL, 0x1D, false},
    {XK_semicolon, VK_OEM_1, 0x27, false},
    {XK_apostrophe, VK_OEM_7, 0x28, false},
    {XK_grave, VK_OEM_3, 0x29, false},
    {XK_Shift_L, VK_SHIFT, 0x2A, false},
    {XK_backslash, VK_OEM_5, 0x2B, false},
    {XK_comma, VK_OEM_COMMA, 0x33, false},
    {XK_period, VK_OEM_PERIOD, 0x34, false},
    {XK_slash, VK_OEM_2, 0x35, false},
    {XK_Shift_R, VK_SHIFT, 0x36, false},
    {XK_Alt_L, VK_MENU, 0x38, false},
    {XK_Meta_L, VK_MENU, 0x38, false},
    {XK_space, VK_SPACE, 0x39, false},
    {XK_Caps_Lock, VK_CAPITAL, 0x3A, false},
    {XK_less, VK_OEM_102, 0x56, false},
    // Function keys.
    {XK_F1, VK_F1 + 0, 0x3B, false}, {XK_F2, VK_F1 + 1, 0x3C, false},
    {XK_F3, VK_F1 + 2, 0x3D, false}, {XK_F4, VK_F1 + 3, 0x3E, false},
    {XK_F5, VK_F1 + 4, 0x3F, false}, {XK_F6, VK_F1 + 5, 0x40, false},
    {XK_F7, VK_F1 + 6, 0x41, false}, {XK_F8, VK_F1 + 7, 0x42, false},
    {XK_F9, VK_F1 + 8, 0x43, false}, {XK_F10, VK_F1 + 9, 0x44, false},
    {XK_F11, VK_F1 + 10, 0x57, false}, {XK_F12, VK_F1 + 11, 0x58, false},
    {XK_F13, VK_F1 + 12, 0x64, false}, {XK_F14, VK_F1 + 13, 0x65, false},
    {XK_F15, VK_F1 + 14, 0x66, false}, {XK_F16, VK_F1 + 15, 0x67, false},
    {XK_F17, VK_F1 + 16, 0x68, false}, {XK_F18, VK_F1 + 17, 0x69, false},
    {XK_F19, VK_F1 + 18, 0x6A, false}, {XK_F20, VK_F1 + 19, 0x6B, false},
    {XK_F21, VK_F1 + 20, 0x6C, false}, {XK_F22, VK_F1 + 21, 0x6D, false},
    {XK_F23, VK_F1 + 22, 0x6E, false}, {XK_F24, VK_F1 + 23, 0x76, false},
    // Locks, print, pause.
    {XK_Num_Lock, VK_NUMLOCK, 0x45, true},
    {XK_Scroll_Lock, VK_SCROLL, 0x46, false},
    {XK_Pause, VK_PAUSE, 0x45, false},
    {XK_Break, VK_CANCEL, 0x46, true},
    {XK_Print, VK_SNAPSHOT, 0x37, true},
    {XK_Sys_Req, VK_SNAPSHOT, 0x54, false},
    // Navigation block: extended keys.
    {XK_Insert, VK_INSERT, 0x52, true},
    {XK_Delete, VK_DELETE, 0x53, true},
    {XK_Home, VK_HOME, 0x47, true},
    {XK_End, VK_END, 0x4F, true},
    {XK_Prior, VK_PRIOR, 0x49, true},
    {XK_Next, VK_NEXT, 0x51, true},
    {XK_Left, VK_LEFT, 0x4B, true},
    {XK_Up, VK_UP, 0x48, true},
    {XK_Right, VK_RIGHT, 0x4D, true},
    {XK_Down, VK_DOWN, 0x50, true},
    // Right-hand modifiers and the Windows keys: extended.
    {XK_Control_R, VK_CONTROL, 0x1D, true},
    {XK_Alt_R, VK_MENU, 0x38, true},
    {XK_ISO_Level3_Shift, VK_MENU, 0x38, true},
    {XK_Meta_R, VK_MENU, 0x38, true},
    {XK_Super_L, VK_LWIN, 0x5B, true},
    {XK_Super_R, VK_RWIN, 0x5C, true},
    {XK_Menu, VK_APPS, 0x5D, true},
    // Keypad with NumLock on.
    {XK_KP_0, VK_NUMPAD0 + 0, 0x52, false}, {XK_KP_1, VK_NUMPAD0 + 1, 0x4F, false},
    {XK_KP_2, VK_NUMPAD0 + 2, 0x50, false}, {XK_KP_3, VK_NUMPAD0 + 3, 0x51, false},
    {XK_KP_4, VK_NUMPAD0 + 4, 0x4B, false}, {XK_KP_5, VK_NUMPAD0 + 5, 0x4C, false},
    {XK_KP_6, VK_NUMPAD0 + 6, 0x4D, false}, {XK_KP_7, VK_NUMPAD0 + 7, 0x47, false},
    {XK_KP_8, VK_NUMPAD0 + 8, 0x48, false}, {XK_KP_9, VK_NUMPAD0 + 9, 0x49, false},
    {XK_KP_Decimal, VK_DECIMAL, 0x53, false},
    {XK_KP_Separator, VK_DECIMAL, 0x53, false},
    // Keypad with NumLock off: the navigation keys without the extended flag.
    {XK_KP_Insert, VK_INSERT, 0x52, false}, {XK_KP_End, VK_END, 0x4F, false},
    {XK_KP_Down, VK_DOWN, 0x50, false}, {XK_KP_Next, VK_NEXT, 0x51, false},
    {XK_KP_Left, VK_LEFT, 0x4B, false}, {XK_KP_Begin, VK_CLEAR, 0x4C, false},
    {XK_KP_Right, VK_RIGHT, 0x4D, false}, {XK_KP_Home, VK_HOME, 0x47, false},
    {XK_KP_Up, VK_UP, 0x48, false}, {XK_KP_Prior, VK_PRIOR, 0x49, false},
    {XK_KP_Delete, VK_DELETE, 0x53, false},
    {XK_Clear, VK_CLEAR, 0x4C, false},
    // Keypad operators, the same in both states.
    {XK_KP_Multiply, VK_MULTIPLY, 0x37, false},
    {XK_KP_Subtract, VK_SUBTRACT, 0x4A, false},
    {XK_KP_Add, VK_ADD, 0x4E, false},
    {XK_KP_Divide, VK_DIVIDE, 0x35, true},
    {XK_KP_Enter, VK_RETURN, 0x1C, true},
};
// clang-format on

}  // namespace

WindowsKey KeyForKeysym(KeySym sym) {
  if (sym >= XK_A && sym <= XK_Z) sym += XK_a - XK_A;
  for (const Entry& e : kKeys)
    if (e.sym == sym) return {e.vk, e.scan, e.extended};
  return {};
}

WindowsKey KeyForScan(UINT scan) {
  for (const Entry& e : kKeys)
    if (e.scan == scan && !e.extended) return {e.vk, e.scan, false};
  return {};
}

std::vector<KeySym> KeysymsForVk(UINT vk) {
  std::vector<KeySym> syms;
  for (const Entry& e : kKeys)
    if (e.vk == vk) syms.push_back(e.sym);
  return syms;
}

std::string KeysymNameOfVk(UINT vk) {
  for (KeySym sym : KeysymsForVk(vk))
    if (const char* name = XKeysymToString(sym)) return name;
  return {};
}

bool IsKeypadKeysym(KeySym sym) { return sym >= XK_KP_Space && sym <= XK_KP_Equal; }

}  // namespace platform::x11
