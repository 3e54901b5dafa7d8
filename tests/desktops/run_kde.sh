#!/usr/bin/env bash
# Runs the KDE tests inside a Plasma session made from Debian's packages:
# kwin_wayland on a virtual output with XWayland, its own session bus, the
# real portal frontend and KDE's backend (started by the bus).
#   run_kde.sh KDE_TESTS FAKE_INPUT
set -euo pipefail
tests=$(realpath "$1") fake_input=$(realpath "$2")
dir=$(mktemp -d /tmp/brenvik-kde-XXXXXX)
trap 'rm -rf "$dir"' EXIT
mkdir -p "$dir/home/.local/share/applications" "$dir/bin"
mkdir -m 700 "$dir/runtime"
mkdir -p /tmp/.X11-unix && chmod 1777 /tmp/.X11-unix 2>/dev/null || true
# The installed binary carries a file capability a container may refuse; a
# copy carries none.
cp /usr/bin/kwin_wayland "$dir/bin/"
# KWin lets only the programs a desktop entry names use fake input.
cat >"$dir/home/.local/share/applications/brenvik-fake-input.desktop" <<ENTRY
[Desktop Entry]
Type=Application
Name=Brenvik test input
Exec=$fake_input
NoDisplay=true
X-KDE-Wayland-Interfaces=org_kde_kwin_fake_input
ENTRY
cat >"$dir/inside.sh" <<INSIDE
#!/bin/sh
# The portal's backend, started by the bus, must find the session.
dbus-update-activation-environment WAYLAND_DISPLAY DISPLAY XDG_CURRENT_DESKTOP XDG_SESSION_TYPE QT_QPA_PLATFORM=wayland
"$tests" >"$dir/tests.log" 2>&1
echo \$? >"$dir/status"
INSIDE
chmod +x "$dir/inside.sh"
timeout 300 env -i PATH=/usr/bin:/bin HOME="$dir/home" XDG_RUNTIME_DIR="$dir/runtime" XDG_CURRENT_DESKTOP=KDE \
  XDG_SESSION_TYPE=wayland KWIN_COMPOSE=O2 LIBGL_ALWAYS_SOFTWARE=1 KWIN_SCREENSHOT_NO_PERMISSION_CHECKS=1 \
  ${BRENVIK_E2E_KEEP:+BRENVIK_E2E_KEEP=1} \
  dbus-run-session -- "$dir/bin/kwin_wayland" --virtual --xwayland --width 1280 --height 1024 \
  --socket wayland-brenvik --no-lockscreen --exit-with-session "$dir/inside.sh" >"$dir/kwin.log" 2>&1 || true
cat "$dir/tests.log" 2>/dev/null || true
if [ "$(cat "$dir/status" 2>/dev/null)" != 0 ]; then
  echo "the KDE session's log ends:"
  tail -n 30 "$dir/kwin.log"
  exit 1
fi
