#include "portal/portal_names.h"

namespace platform::x11 {

namespace {

// The shell's hotkey ids and what the desktop shows for each.
struct Shortcut {
  int hotkeyId;
  const char* id;
  const char* description;
};
constexpr Shortcut kShortcuts[] = {
    {1, "toggle", "Switch between overlay and interactive mode"},
    {2, "split", "Start the run or split"},
    {4, "cancel", "Cancel the run"},
};

const Shortcut* Find(int hotkeyId) {
  for (const Shortcut& s : kShortcuts)
    if (s.hotkeyId == hotkeyId) return &s;
  return nullptr;
}

}  // namespace

std::string ShortcutIdOf(int hotkeyId) {
  const Shortcut* s = Find(hotkeyId);
  return s ? s->id : "hotkey" + std::to_string(hotkeyId);
}

std::string ShortcutDescriptionOf(int hotkeyId) {
  const Shortcut* s = Find(hotkeyId);
  return s ? s->description : "Brenvik hotkey " + std::to_string(hotkeyId);
}

std::string RequestPathFor(const std::string& uniqueName, const std::string& token) {
  std::string sender = uniqueName.substr(uniqueName.starts_with(':') ? 1 : 0);
  for (char& c : sender)
    if (c == '.') c = '_';
  return "/org/freedesktop/portal/desktop/request/" + sender + "/" + token;
}

}  // namespace platform::x11
