#!/usr/bin/env bash
# Headless sway (XWayland on) as an unprivileged user: the real binary's
# hotkeys on a Wayland desktop, through the X11 grabs and through the portal.
#   tests/wayland/sway_test.sh BRENVIK PRIVATE_DESKTOP POINTER
# As root it runs everything as the system user "brenviktest" (created when
# missing): sway refuses to run as root.
set -euo pipefail
brenvik=$(realpath "$1") private_desktop=$(realpath "$2") pointer=$(realpath "$3")
here=$(cd "$(dirname "$0")" && pwd)
user=$(id -un)
if [ "$(id -u)" -eq 0 ]; then
  user=brenviktest
  id "$user" >/dev/null 2>&1 || useradd --system --no-create-home --shell /usr/sbin/nologin "$user"
  mkdir -p /tmp/.X11-unix && chmod 1777 /tmp/.X11-unix
fi
dir=$(mktemp -d /tmp/brenvik-sway-XXXXXX)
trap 'rm -rf "$dir"' EXIT
chmod 755 "$dir"
mkdir -m 700 "$dir/runtime" "$dir/home"
# The other user may not reach the checkout (a clone in a private
# directory): it runs copies.
mkdir -m 755 "$dir/bin"
cp "$brenvik" "$private_desktop" "$pointer" "$here/inside_sway.sh" "$here/native_window.py" \
  "$here/../portal/shortcuts_backend.py" "$here/../portal/brenvik-test.portal" "$dir/bin/"
chmod -R a+rX "$dir/bin"
brenvik=$dir/bin/$(basename "$brenvik") private_desktop=$dir/bin/$(basename "$private_desktop")
pointer=$dir/bin/$(basename "$pointer")
touch "$dir/result"
chown "$user": "$dir/runtime" "$dir/home" "$dir/result"
cat >"$dir/config" <<CONFIG
xwayland enable
output HEADLESS-1 resolution 1280x1024
exec "$dir/bin/inside_sway.sh" "$brenvik" "$private_desktop" "$pointer" "$dir/home" "$dir/result" >"$dir/home/inside.log" 2>&1 || swaymsg exit
CONFIG
as_user=()
[ "$(id -u)" -eq 0 ] && as_user=(runuser -u "$user" --)
status=0
timeout 240 "${as_user[@]}" env -i HOME="$dir/home" XDG_RUNTIME_DIR="$dir/runtime" PATH=/usr/bin:/bin \
  BRENVIK_BACKEND_TEMPLATE="$dir/bin/shortcuts_backend.py" BRENVIK_PORTAL_FILE="$dir/bin/brenvik-test.portal" \
  WLR_BACKENDS=headless WLR_LIBINPUT_NO_DEVICES=1 WLR_RENDERER=pixman \
  sway -c "$dir/config" >"$dir/sway.log" 2>&1 || status=$?
cat "$dir/result"
if [ $status -ne 0 ] || grep -q '^FAIL' "$dir/result" || ! grep -q '^done' "$dir/result"; then
  echo "sway exited with $status; the script inside said:"
  tail -n 30 "$dir/home/inside.log" || true
  exit 1
fi
