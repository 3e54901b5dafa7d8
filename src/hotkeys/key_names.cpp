#include "extended_keys.h"
#include "hotkeys/hotkeys.h"

namespace {
constexpr int kNameBufferSize = 128;
constexpr LONG kExtendedKeyFlag = 1 << 24;
}  // namespace

LONG KeyNameRequest(UINT scanCode, std::int32_t vk) {
  LONG request = static_cast<LONG>((scanCode & 0xFF) << 16);
  if (IsExtendedKey(static_cast<UINT>(vk))) request |= kExtendedKeyFlag;
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
