// The US keyboard layout: virtual-key codes to set-1 scan codes and back,
// the key names GetKeyNameTextW gives, and the key state of the thread.
#include <algorithm>
#include <array>
#include <cwchar>
#include <string>

#include "user/user_internal.h"

namespace platform::user {
namespace {

struct KeyRow {
  UINT vk;
  UINT scan;
};

// VK -> scan. The navigation keys share their scan codes with the keypad;
// only the extended flag tells them apart.
// clang-format off
constexpr KeyRow kScanOfVk[] = {
    {VK_ESCAPE, 0x01}, {'1', 0x02}, {'2', 0x03}, {'3', 0x04}, {'4', 0x05}, {'5', 0x06}, {'6', 0x07},
    {'7', 0x08}, {'8', 0x09}, {'9', 0x0A}, {'0', 0x0B}, {VK_OEM_MINUS, 0x0C}, {VK_OEM_PLUS, 0x0D},
    {VK_BACK, 0x0E}, {VK_TAB, 0x0F}, {'Q', 0x10}, {'W', 0x11}, {'E', 0x12}, {'R', 0x13}, {'T', 0x14},
    {'Y', 0x15}, {'U', 0x16}, {'I', 0x17}, {'O', 0x18}, {'P', 0x19}, {VK_OEM_4, 0x1A}, {VK_OEM_6, 0x1B},
    {VK_RETURN, 0x1C}, {VK_CONTROL, 0x1D}, {VK_LCONTROL, 0x1D}, {VK_RCONTROL, 0x1D}, {'A', 0x1E},
    {'S', 0x1F}, {'D', 0x20}, {'F', 0x21}, {'G', 0x22}, {'H', 0x23}, {'J', 0x24}, {'K', 0x25},
    {'L', 0x26}, {VK_OEM_1, 0x27}, {VK_OEM_7, 0x28}, {VK_OEM_3, 0x29}, {VK_SHIFT, 0x2A},
    {VK_LSHIFT, 0x2A}, {VK_OEM_5, 0x2B}, {'Z', 0x2C}, {'X', 0x2D}, {'C', 0x2E}, {'V', 0x2F},
    {'B', 0x30}, {'N', 0x31}, {'M', 0x32}, {VK_OEM_COMMA, 0x33}, {VK_OEM_PERIOD, 0x34},
    {VK_OEM_2, 0x35}, {VK_DIVIDE, 0x35}, {VK_RSHIFT, 0x36}, {VK_MULTIPLY, 0x37}, {VK_MENU, 0x38},
    {VK_LMENU, 0x38}, {VK_RMENU, 0x38}, {VK_SPACE, 0x39}, {VK_CAPITAL, 0x3A}, {VK_F1, 0x3B},
    {VK_F1 + 1, 0x3C}, {VK_F1 + 2, 0x3D}, {VK_F1 + 3, 0x3E}, {VK_F1 + 4, 0x3F}, {VK_F1 + 5, 0x40},
    {VK_F1 + 6, 0x41}, {VK_F1 + 7, 0x42}, {VK_F1 + 8, 0x43}, {VK_F10, 0x44}, {VK_NUMLOCK, 0x45},
    {VK_PAUSE, 0x45}, {VK_SCROLL, 0x46}, {VK_HOME, 0x47}, {VK_NUMPAD0 + 7, 0x47}, {VK_UP, 0x48},
    {VK_NUMPAD0 + 8, 0x48}, {VK_PRIOR, 0x49}, {VK_NUMPAD9, 0x49}, {VK_SUBTRACT, 0x4A}, {VK_LEFT, 0x4B},
    {VK_NUMPAD0 + 4, 0x4B}, {VK_CLEAR, 0x4C}, {VK_NUMPAD0 + 5, 0x4C}, {VK_RIGHT, 0x4D},
    {VK_NUMPAD0 + 6, 0x4D}, {VK_ADD, 0x4E}, {VK_END, 0x4F}, {VK_NUMPAD0 + 1, 0x4F}, {VK_DOWN, 0x50},
    {VK_NUMPAD0 + 2, 0x50}, {VK_NEXT, 0x51}, {VK_NUMPAD0 + 3, 0x51}, {VK_INSERT, 0x52},
    {VK_NUMPAD0, 0x52}, {VK_DELETE, 0x53}, {VK_DECIMAL, 0x53}, {VK_SNAPSHOT, 0x54}, {VK_OEM_102, 0x56},
    {VK_F1 + 10, 0x57}, {VK_F12, 0x58}, {VK_LWIN, 0x5B}, {VK_RWIN, 0x5C}, {VK_APPS, 0x5D},
    {VK_F12 + 1, 0x64}, {VK_F12 + 2, 0x65}, {VK_F12 + 3, 0x66}, {VK_F12 + 4, 0x67}, {VK_F12 + 5, 0x68},
    {VK_F12 + 6, 0x69}, {VK_F12 + 7, 0x6A}, {VK_F12 + 8, 0x6B}, {VK_F12 + 9, 0x6C}, {VK_F12 + 10, 0x6D},
    {VK_F12 + 11, 0x6E}, {VK_F24, 0x76},
};
// clang-format on

// Scan -> VK, left and right not told apart.
UINT VkOfScan(UINT scan) {
  switch (scan) {
    case 0x36: return VK_SHIFT;
    default: break;
  }
  // The first row for a scan code is the key's own (keypad rows come after
  // the navigation keys they share it with).
  for (const KeyRow& row : kScanOfVk) {
    if (row.scan == scan) return row.vk;
  }
  return 0;
}

UINT ScanOfVk(UINT vk) {
  for (const KeyRow& row : kScanOfVk) {
    if (row.vk == vk) return row.scan;
  }
  return 0;
}

// The character a key types without Shift.
UINT CharOfVk(UINT vk) {
  if ((vk >= '0' && vk <= '9') || (vk >= 'A' && vk <= 'Z')) return vk;
  if (vk >= VK_NUMPAD0 && vk <= VK_NUMPAD9) return '0' + (vk - VK_NUMPAD0);
  switch (vk) {
    case VK_BACK: return 0x08;
    case VK_TAB: return 0x09;
    case VK_RETURN: return 0x0D;
    case VK_ESCAPE: return 0x1B;
    case VK_SPACE: return ' ';
    case VK_MULTIPLY: return '*';
    case VK_ADD: return '+';
    case VK_SUBTRACT: return '-';
    case VK_DECIMAL: return '.';
    case VK_DIVIDE: return '/';
    case VK_OEM_1: return ';';
    case VK_OEM_PLUS: return '=';
    case VK_OEM_COMMA: return ',';
    case VK_OEM_MINUS: return '-';
    case VK_OEM_PERIOD: return '.';
    case VK_OEM_2: return '/';
    case VK_OEM_3: return '`';
    case VK_OEM_4: return '[';
    case VK_OEM_5: return '\\';
    case VK_OEM_6: return ']';
    case VK_OEM_7: return '\'';
    case VK_OEM_102: return '\\';
    default: return 0;
  }
}

std::wstring ExtendedKeyName(UINT scan) {
  switch (scan) {
    case 0x1C: return L"Num Enter";
    case 0x1D: return L"Right Ctrl";
    case 0x35: return L"Num /";
    case 0x37: return L"Prnt Scrn";
    case 0x38: return L"Right Alt";
    case 0x45: return L"Num Lock";
    case 0x46: return L"Break";
    case 0x47: return L"Home";
    case 0x48: return L"Up";
    case 0x49: return L"Page Up";
    case 0x4B: return L"Left";
    case 0x4D: return L"Right";
    case 0x4F: return L"End";
    case 0x50: return L"Down";
    case 0x51: return L"Page Down";
    case 0x52: return L"Insert";
    case 0x53: return L"Delete";
    case 0x5B: return L"Left Windows";
    case 0x5C: return L"Right Windows";
    case 0x5D: return L"Application";
    default: return L"";
  }
}

std::wstring KeyName(UINT scan) {
  switch (scan) {
    case 0x01: return L"Esc";
    case 0x0E: return L"Backspace";
    case 0x0F: return L"Tab";
    case 0x1C: return L"Enter";
    case 0x1D: return L"Ctrl";
    case 0x2A: return L"Shift";
    case 0x36: return L"Right Shift";
    case 0x37: return L"Num *";
    case 0x38: return L"Alt";
    case 0x39: return L"Space";
    case 0x3A: return L"Caps Lock";
    case 0x45: return L"Pause";
    case 0x46: return L"Scroll Lock";
    case 0x47: return L"Num 7";
    case 0x48: return L"Num 8";
    case 0x49: return L"Num 9";
    case 0x4A: return L"Num -";
    case 0x4B: return L"Num 4";
    case 0x4C: return L"Num 5";
    case 0x4D: return L"Num 6";
    case 0x4E: return L"Num +";
    case 0x4F: return L"Num 1";
    case 0x50: return L"Num 2";
    case 0x51: return L"Num 3";
    case 0x52: return L"Num 0";
    case 0x53: return L"Num Del";
    case 0x54: return L"Sys Req";
    default: break;
  }
  const UINT vk = VkOfScan(scan);
  if (vk >= VK_F1 && vk <= VK_F24) return L"F" + std::to_wstring(vk - VK_F1 + 1);
  if (const UINT ch = CharOfVk(vk); ch > ' ') return std::wstring(1, static_cast<wchar_t>(ch));
  return L"";
}

struct KeyState {
  std::array<bool, 256> down{};
  std::array<bool, 256> toggled{};
};

KeyState& Keys() {
  static KeyState keys;
  return keys;
}

}  // namespace

void SetKeyDown(UINT vk, bool down) {
  if (vk >= 256) return;
  if (down && !Keys().down[vk]) Keys().toggled[vk] = !Keys().toggled[vk];
  Keys().down[vk] = down;
}

void ResetKeyState() { Keys() = KeyState{}; }

}  // namespace platform::user

UINT MapVirtualKeyW(UINT code, UINT mapType) {
  using namespace platform::user;
  switch (mapType) {
    case MAPVK_VK_TO_VSC: return ScanOfVk(code);
    case MAPVK_VSC_TO_VK: return VkOfScan(code);
    case MAPVK_VK_TO_CHAR: return CharOfVk(code);
    default: return 0;
  }
}

int GetKeyNameTextW(LONG lParam, LPWSTR buffer, int size) {
  if (!buffer || size <= 0) return 0;
  const UINT scan = (static_cast<DWORD>(lParam) >> 16) & 0xFF;
  const bool extended = (static_cast<DWORD>(lParam) >> 24) & 1;
  std::wstring name = extended ? platform::user::ExtendedKeyName(scan) : platform::user::KeyName(scan);
  if (name.empty() && extended) {
    // Character keys have no extended form of their own.
    name = platform::user::KeyName(scan);
    if (name.size() != 1) name.clear();
  }
  const int n = std::min<int>(static_cast<int>(name.size()), size - 1);
  std::wmemcpy(buffer, name.data(), static_cast<std::size_t>(n));
  buffer[n] = L'\0';
  return n;
}

short GetKeyState(int vk) {
  if (vk < 0 || vk >= 256) return 0;
  const auto& keys = platform::user::Keys();
  int state = keys.toggled[static_cast<std::size_t>(vk)] ? 1 : 0;
  if (keys.down[static_cast<std::size_t>(vk)]) state |= 0x8000;
  return static_cast<short>(state);
}
