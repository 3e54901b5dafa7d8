#!/usr/bin/env bash
# Runs a command with a private Xvfb server as $DISPLAY, then stops it.
set -euo pipefail
for n in $(seq 90 140); do
  [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ] || { disp=":$n"; break; }
done
Xvfb "$disp" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
trap 'kill $xvfb 2>/dev/null || true; wait $xvfb 2>/dev/null || true' EXIT
for _ in $(seq 1 100); do [ -e "/tmp/.X11-unix/X${disp#:}" ] && break; sleep 0.05; done
DISPLAY="$disp" "$@"
