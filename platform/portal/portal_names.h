// Names the GlobalShortcuts portal deals in: our shortcut ids and the
// request paths it will answer on.
#pragma once

#include <string>

namespace platform::x11 {

// The shortcut id of a hotkey id ("toggle", "split", "cancel"); a desktop
// shows it and a Hyprland config line names it.
std::string ShortcutIdOf(int hotkeyId);
std::string ShortcutDescriptionOf(int hotkeyId);
// Where the portal will put the Request of a call made with `token` by the
// connection named `uniqueName` (":1.42" -> .../request/1_42/token).
std::string RequestPathFor(const std::string& uniqueName, const std::string& token);

}  // namespace platform::x11
