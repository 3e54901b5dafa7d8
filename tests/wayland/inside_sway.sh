#!/usr/bin/env bash
# Runs inside a headless sway session (its WAYLAND_DISPLAY, DISPLAY and
# SWAYSOCK): the real binary under XWayland, keys typed with wtype, clicks
# through a virtual pointer, a native Wayland window and an X11 one to give
# the focus to. One line per check goes to the result file: "ok: ..." or
# "FAIL: ...".
#   inside_sway.sh BRENVIK PRIVATE_DESKTOP POINTER WORK_DIR RESULT_FILE
set -u
brenvik=$1 private_desktop=$2 pointer=$3 work=$4 result=$5
here=$(cd "$(dirname "$0")" && pwd)
pids=()

check() {  # check DESCRIPTION COMMAND...
  local what=$1
  shift
  if "$@"; then echo "ok: $what" >>"$result"; else echo "FAIL: $what" >>"$result"; fi
}
# Polls until the command succeeds; gives up only on a hang (30 s), long
# before sway_test.sh's timeout.
wait_for() {  # wait_for COMMAND...
  local deadline=$((SECONDS + 30))
  until "$@"; do
    [ $SECONDS -ge $deadline ] && return 1
    sleep 0.05
  done
}
has_window() { swaymsg -t get_tree | grep -q "\"name\": \"$1\""; }
# The overlay is an unmanaged X window: sway's tree does not list it.
has_overlay() { xwininfo -root -tree 2>/dev/null | grep -q "\"Brenvik\""; }
no_overlay() { ! has_overlay; }
# The focused window's title and kind (xwayland or xdg_shell).
focused() {
  swaymsg -t get_tree | /usr/bin/python3 -c '
import json, sys
def walk(n):
    if n.get("focused"):
        print(n.get("name"), n.get("shell"))
    for c in n.get("nodes", []) + n.get("floating_nodes", []):
        walk(c)
walk(json.load(sys.stdin))'
}
is_focused() { [ "$(focused)" = "$1" ]; }
# The focused window's title when it is fullscreen.
focused_fullscreen() {
  swaymsg -t get_tree | /usr/bin/python3 -c '
import json, sys
def walk(n):
    if n.get("focused") and n.get("fullscreen_mode") == 1:
        print(n.get("name"))
    for c in n.get("nodes", []) + n.get("floating_nodes", []):
        walk(c)
walk(json.load(sys.stdin))'
}
is_focused_fullscreen() { [ "$(focused_fullscreen)" = "$1" ]; }
fullscreen() {  # fullscreen TITLE: the window fullscreen and focused
  swaymsg "[title=\"^$1\$\"] fullscreen enable, focus" >/dev/null
  wait_for is_focused_fullscreen "$1"
}
# Pixels of one colour on the screen in an area, from a screenshot.
pixels_near() {  # pixels_near "X,Y WxH" R G B
  grim -t ppm -g "$1" - 2>/dev/null | /usr/bin/python3 -c '
import re, sys
r, g, b = map(int, sys.argv[1:4])
data = sys.stdin.buffer.read()
header = re.match(rb"P6\s+(\d+)\s+(\d+)\s+(\d+)\s", data)
pixels = data[header.end():] if header else b""
print(sum(1 for i in range(0, len(pixels) - 2, 3)
          if abs(pixels[i] - r) <= 12 and abs(pixels[i + 1] - g) <= 12 and abs(pixels[i + 2] - b) <= 12))' "$2" "$3" "$4"
}
# The overlay stands at 100,100 (320 x 373): its background's pixels there.
overlay_pixels() { pixels_near "100,100 320x373" 30 32 40; }
# The Timer panel shows some 70,000 background pixels; a window over it, none.
overlay_shows() { [ "$(overlay_pixels)" -ge 30000 ]; }
focus() {  # focus TITLE KIND
  swaymsg "[title=\"^$1\$\"] focus" >/dev/null
  wait_for is_focused "$1 $2"
}
run_brenvik() {  # run_brenvik DIR [ENV...]: one finished run is one split name plus two splits
  mkdir -p "$1"
  printf 'A\r\n' >"$1/splits.txt"
  local dir=$1
  shift
  (cd "$dir" && exec env "$@" "$brenvik") &
  pids+=($!)
  wait_for has_overlay
}
finished() { [ -f "$1/bestsplits.txt" ]; }
# One press of the split key, then whether the run has finished: a press made
# before the focus has reached XWayland is lost, so the next one stands in.
split_until_finished() {  # split_until_finished DIR
  wtype ' '
  sleep 0.3  # between two presses, as a player would
  finished "$1"
}
cleanup() {
  for p in "${pids[@]}"; do kill "$p" 2>/dev/null; done
  [ -n "${desktop_in:-}" ] && exec {desktop_in}>&-
  wait 2>/dev/null
  swaymsg exit >/dev/null 2>&1
}
trap cleanup EXIT

# One virtual keyboard stays on the seat, its keymap holding the space bar;
# every later wtype brings its own keymap, which XWayland announces with
# MappingNotify, the press following at once.
wtype -P space -p space -s 300000 &
pids+=($!)
xmessage -title game-x11 -geometry 300x200+500+500 "an X11 game" &
pids+=($!)
/usr/bin/python3 "$here/native_window.py" game-wayland >"$work/game-wayland.log" &
pids+=($!)
wait_for has_window game-x11 && wait_for has_window game-wayland || echo "FAIL: the game windows did not appear" >>"$result"

# No portal (no session bus): the X11 grabs, which see keys only while an X11 window has the focus.
check "the X11 overlay starts under XWayland" run_brenvik "$work/grabs" DBUS_SESSION_BUS_ADDRESS=unix:path=/nonexistent
check "an X11 window has the focus" focus game-x11 xwayland
check "without a portal, the X11 grabs split while an X11 window has the focus" \
  wait_for split_until_finished "$work/grabs"
check "a native Wayland window has the focus" focus game-wayland xdg_shell
stamp=$(stat -c %Y.%i "$work/grabs/bestsplits.txt" 2>/dev/null)
for _ in 1 2 3; do
  wtype ' '
  sleep 0.3  # between two presses
done
# Nothing may come of them; nothing can be waited for either: a second
# beyond what the overlay needed above on this machine.
sleep 1
check "without a portal, no split while a native Wayland window has the focus (a known limit)" \
  test "$(stat -c %Y.%i "$work/grabs/bestsplits.txt" 2>/dev/null)" = "$stamp"
kill "${pids[-1]}"
wait "${pids[-1]}" 2>/dev/null
unset 'pids[-1]'
check "the first overlay's window is gone" wait_for no_overlay

# The portal double: the desktop's shortcuts fire whatever window has the focus.
coproc desktop { exec "$private_desktop"; }
desktop_in=${desktop[1]}
read -r -t 60 address <&"${desktop[0]}" || echo "FAIL: the private desktop did not start" >>"$result"
backend() {
  gdbus call --session -d org.freedesktop.impl.portal.BrenvikTest -o /org/freedesktop/portal/desktop \
    -m "brenvik.test.Backend.$1" "${@:2}"
}
bound() { DBUS_SESSION_BUS_ADDRESS=$address backend Bound 2>/dev/null | grep -q "split=space"; }
check "the overlay starts with the portal" run_brenvik "$work/portal" DBUS_SESSION_BUS_ADDRESS="$address"
check "it binds its keys through the portal" wait_for bound
check "a native Wayland window has the focus" focus game-wayland xdg_shell
for _ in 1 2; do
  DBUS_SESSION_BUS_ADDRESS=$address backend Press split >/dev/null
  DBUS_SESSION_BUS_ADDRESS=$address backend Release split >/dev/null
  sleep 0.3  # between two presses
done
check "with the portal, the desktop's shortcut splits while a native Wayland window has the focus" \
  wait_for finished "$work/portal"

# Most games run fullscreen: the overlay stays above them, native or X11.
check "the overlay shows before any window is fullscreen" wait_for overlay_shows
check "a native Wayland window is fullscreen and has the focus" fullscreen game-wayland
check "the overlay shows above a focused fullscreen native Wayland window" wait_for overlay_shows
swaymsg '[title="^game-wayland$"] fullscreen disable' >/dev/null
check "an X11 window is fullscreen and has the focus" fullscreen game-x11
check "the overlay shows above a focused fullscreen X11 window" wait_for overlay_shows
echo "info: $(overlay_pixels) pixels of the overlay's background on the screen over the fullscreen X11 window" >>"$result"

# Interactive mode over a focused fullscreen native window, with real clicks.
# The pointer is a device of sway's, kept until sway ends: no child of this
# script, which waits for its children before it asks sway to end.
mkfifo "$work/pointer.in" "$work/pointer.out"
("$pointer" 1280 1024 <"$work/pointer.in" >"$work/pointer.out" &)
exec {pointer_in}>"$work/pointer.in" {pointer_out}<"$work/pointer.out"
point() {  # point COMMAND: answered once sway has had it
  local answer
  echo "$*" >&"$pointer_in" && read -r -t 30 answer <&"$pointer_out" && [ "$answer" = ok ]
}
click_at() { point move "$1" "$2" && point click; }
click_overlay() { click_at $((100 + $1)) $((100 + $2)); }
toggle() {
  DBUS_SESSION_BUS_ADDRESS=$address backend Press toggle >/dev/null
  DBUS_SESSION_BUS_ADDRESS=$address backend Release toggle >/dev/null
}
# The mode label's colour: yellow in interactive mode, blue in overlay mode.
mode_is() { [ "$(pixels_near "100,138 320x26" "$@")" -ge 20 ]; }
# GTK may print one press twice, with the same time.
game_clicks() { grep '^button 1 ' "$work/game-wayland.log" | sort -u | wc -l; }
clicks_at_least() { [ "$(game_clicks)" -ge "$1" ]; }
swaymsg '[title="^game-x11$"] fullscreen disable' >/dev/null
check "a native Wayland window is fullscreen and has the focus again" fullscreen game-wayland
toggle
check "the desktop's toggle shortcut switches to interactive mode" wait_for mode_is 255 220 100
clicks=$(game_clicks)
click_overlay 237 17   # the Edit Splits tab
click_overlay 160 115  # Add
click_overlay 47 17    # back to the Timer tab, which saves
# The split saved says the app has left the panel: a toggle before that
# would find a name box with the focus, and be ignored.
check "in interactive mode the overlay takes the clicks over the fullscreen native window" \
  wait_for grep -q "New Split" "$work/portal/splits.txt"
check "none of them reached the native window" test "$(game_clicks)" = "$clicks"
toggle
check "the toggle shortcut switches back to overlay mode" wait_for mode_is 84 180 255
# In overlay mode a click on the overlay passes to the window beneath (sway
# takes the overlay's empty input shape from XWayland 22 already). A click
# beside the overlay follows it.
clicks=$(game_clicks)
click_overlay 250 300
click_at 900 700
check "a click on the overlay in overlay mode reaches the fullscreen native window" \
  wait_for clicks_at_least $((clicks + 2))
echo "info: XWayland vendor release $(xdpyinfo | sed -n 's/^vendor release number: *//p')" >>"$result"
# sway gives the keyboard to no override-redirect window: the keys typed
# after a click on a name box go to the focused window.
toggle
check "the toggle shortcut switches to interactive mode again" wait_for mode_is 255 220 100
click_overlay 237 17
click_overlay 110 246  # the first name box
wtype x
check "typed keys go to the focused native window, not to a name box (a known limit)" \
  wait_for grep -q "^key x" "$work/game-wayland.log"
echo "done" >>"$result"
