#include "x11/portal_names.h"

#include "x11/keymap.h"
#include "x11/xlib.h"

namespace platform::x11 {

std::string ShortcutIdOf(int hotkeyId) {
  switch (hotkeyId) {
    case 1: return "toggle";
    case 2: return "split";
    case 4: return "cancel";
    default: return "hotkey" + std::to_string(hotkeyId);
  }
}

std::string ShortcutDescriptionOf(int hotkeyId) {
  switch (hotkeyId) {
    case 1: return "Switch between overlay and interactive mode";
    case 2: return "Start the run or split";
    case 4: return "Cancel the run";
    default: return "Brenvik hotkey " + std::to_string(hotkeyId);
  }
}

std::string TriggerOf(UINT vk) {
  for (KeySym sym : KeysymsForVk(vk))
    if (const char* name = XKeysymToString(sym)) return name;
  return {};
}

std::string RequestPathFor(const std::string& uniqueName, const std::string& token) {
  std::string sender = uniqueName.substr(uniqueName.starts_with(':') ? 1 : 0);
  for (char& c : sender)
    if (c == '.') c = '_';
  return "/org/freedesktop/portal/desktop/request/" + sender + "/" + token;
}

}  // namespace platform::x11
