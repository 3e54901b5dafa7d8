#!/usr/bin/env bash
# Checks the Linux build under a window manager: the window itself lands at
# its place, a drag moves it by the pointer's travel, the overlay lets clicks
# through to the window beneath, and it is not marked "demands attention".
# Usage: scripts/with-xvfb.sh scripts/wm-check.sh <window manager command...>
set -uo pipefail
bin=$(realpath "${BRENVIK_LINUX_EXE:-build/linux/brenvik}")
dir=$(mktemp -d)
"$@" >/dev/null 2>&1 &
wm=$!
# The window manager is up once it names itself on the root window.
for _ in $(seq 100); do
  xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' && break
  sleep 0.1
done
sleep 0.5
(cd "$dir" && exec "$bin") &
app=$!
cleanup() { kill $app $wm 2>/dev/null; wait 2>/dev/null; rm -rf "$dir"; }
trap cleanup EXIT
w=
for _ in $(seq 50); do
  w=$(xdotool search --name '^Brenvik$' 2>/dev/null | head -1)
  [ -n "$w" ] && break
  sleep 0.1
done
[ -n "$w" ] || { echo "FAIL: no window"; exit 1; }
sleep 1.5
fails=0
at() { xwininfo -id "$w" | awk '/Absolute upper-left X/{x=$4} /Absolute upper-left Y/{y=$4} END{print x, y}'; }
check() { if [ "$2" = "$3" ]; then echo "ok   $1: $2"; else echo "FAIL $1: $2, wanted $3"; fails=$((fails + 1)); fi; }

read -r x0 y0 < <(at)
check "placement" "$x0 $y0" "100 100"

# Overlay mode: a click at the window's spot reaches what lies beneath.
xdotool mousemove $((x0 + 150)) $((y0 + 200))
sleep 0.3
under=$(xdotool getmouselocation --shell | awk -F= '/WINDOW/{print $2}')
frame=$(xwininfo -id "$w" -children | awk '/Parent window id/{print $4}')
root=$(xwininfo -root | awk '/Window id/{print $4}')
[ "$frame" = "$root" ] && echo "note: no frame"
if [ "$under" = "$w" ] || { [ "$frame" != "$root" ] && [ "$(printf '%d' "$frame")" = "$under" ]; }; then
  check "click-through" "pointer on overlay" "not on overlay"
else
  check "click-through" "passes" "passes"
fi

# Interactive mode: drag the background by (+60, +40).
xdotool key 7
sleep 0.5
xdotool mousemove $((x0 + 300)) $((y0 + 250)) mousedown 1
for i in 1 2 3 4 5 6; do xdotool mousemove $((x0 + 300 + i * 10)) $((y0 + 250 + i * 40 / 6)); sleep 0.05; done
xdotool mouseup 1
sleep 0.8
read -r x1 y1 < <(at)
check "drag" "$((x1 - x0)) $((y1 - y0))" "60 40"

state=$(xprop -id "$w" _NET_WM_STATE)
case "$state" in *DEMANDS_ATTENTION*) check "attention" "demands attention" "quiet" ;; *) check "attention" "quiet" "quiet" ;; esac
exit $((fails > 0))
