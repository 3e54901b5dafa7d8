#include "hotkeys/hotkeys.h"

namespace {
constexpr int kNameBufferSize = 128;
constexpr LONG kExtendedKeyFlag = 1 << 24;

// Keys whose scan code is also a keypad key's (or another key's); without
// the extended flag the Up arrow would be named "Num 8".
bool IsExtendedKey(std::int32_t vk) {
  switch (vk) {
    case VK_PRIOR:
    case VK_NEXT:
    case VK_END:
    case VK_HOME:
    case VK_LEFT:
    case VK_UP:
    case VK_RIGHT:
    case VK_DOWN:
    case VK_INSERT:
    case VK_DELETE:
    case VK_DIVIDE:
    case VK_RCONTROL:
    case VK_RMENU:
    case VK_NUMLOCK:
    case VK_SNAPSHOT:
    case VK_LWIN:
    case VK_RWIN:
    case VK_APPS: return true;
    default: return false;
  }
}
}  // namespace

LONG KeyNameRequest(UINT scanCode, std::int32_t vk) {
  LONG request = static_cast<LONG>((scanCode & 0xFF) << 16);
  if (IsExtendedKey(vk)) request |= kExtendedKeyFlag;
  return request;
}

std::wstring FallbackKeyName(std::int32_t vk) {
  static const wchar_t kHexDigits[] = L"0123456789ABCDEF";
  std::uint32_t value = static_cast<std::uint32_t>(vk);
  std::wstring hex;
  do {
    hex.insert(hex.begin(), kHexDigits[value & 0xF]);
    value >>= 4;
  } while (value != 0);
  if (hex.size() < 2) hex.insert(hex.begin(), L'0');
  return L"VK_" + hex;
}

std::wstring GetKeyName(std::int32_t vk) {
  const UINT scan = MapVirtualKeyW(static_cast<UINT>(vk), MAPVK_VK_TO_VSC);
  WCHAR buffer[kNameBufferSize] = {};
  const int length = GetKeyNameTextW(KeyNameRequest(scan, vk), buffer, kNameBufferSize);
  buffer[kNameBufferSize - 1] = L'\0';
  if (length > 0) return buffer;
  return FallbackKeyName(vk);
}
