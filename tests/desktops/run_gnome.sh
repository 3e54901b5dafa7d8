#!/usr/bin/env bash
# Runs the GNOME tests inside a headless Mutter session (XWayland on) with
# its own session bus.
#   run_gnome.sh GNOME_TESTS
set -euo pipefail
tests=$(realpath "$1")
dir=$(mktemp -d /tmp/brenvik-gnome-XXXXXX)
trap 'rm -rf "$dir"' EXIT
# GNOME's own portal backend has no global shortcuts on this release; the
# portal sees no backend rather than KDE's, which would start and fail.
mkdir -p "$dir/home" "$dir/portals"
mkdir -m 700 "$dir/runtime"
mkdir -p /tmp/.X11-unix && chmod 1777 /tmp/.X11-unix 2>/dev/null || true
# Mutter gives the script DISPLAY and XAUTHORITY for its XWayland.
cat >"$dir/inside.sh" <<INSIDE
#!/bin/sh
"$tests" >"$dir/tests.log" 2>&1
echo \$? >"$dir/status"
INSIDE
chmod +x "$dir/inside.sh"
timeout 300 env -i PATH=/usr/bin:/bin HOME="$dir/home" XDG_RUNTIME_DIR="$dir/runtime" XDG_SESSION_TYPE=wayland XDG_CURRENT_DESKTOP=GNOME \
  XDG_DESKTOP_PORTAL_DIR="$dir/portals" \
  LIBGL_ALWAYS_SOFTWARE=1 ${BRENVIK_E2E_KEEP:+BRENVIK_E2E_KEEP=1} \
  dbus-run-session -- mutter --wayland --headless --virtual-monitor 1280x1024 --wayland-display=wayland-brenvik \
  -- "$dir/inside.sh" >"$dir/mutter.log" 2>&1 || true
cat "$dir/tests.log" 2>/dev/null || true
if [ "$(cat "$dir/status" 2>/dev/null)" != 0 ]; then
  echo "the Mutter session's log ends:"
  tail -n 30 "$dir/mutter.log"
  exit 1
fi
