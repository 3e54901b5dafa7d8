#!/usr/bin/env bash
# Runs a command with a private Xvfb server as $DISPLAY, then stops it.
# The server picks a free display itself, so several can start at once.
# -noreset: without it the server resets whenever its last client leaves, and
# a test that connects during the reset cannot open the display.
set -euo pipefail
fifo=$(mktemp -u)
mkfifo "$fifo"
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp -noreset 3>"$fifo" >/dev/null 2>&1 &
xvfb=$!
trap 'kill $xvfb 2>/dev/null || true; wait $xvfb 2>/dev/null || true; rm -f "$fifo"' EXIT
read -r n <"$fifo"
# An X11-only world: a Wayland desktop around it must not lend its portal.
env -u WAYLAND_DISPLAY DISPLAY=":$n" "$@"
