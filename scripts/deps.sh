#!/usr/bin/env bash
# Installs the Debian packages Brenvik needs that this machine lacks.
#   scripts/deps.sh run    what building and running the Linux overlay needs
#   scripts/deps.sh test   that, plus the Windows cross build, Wine, Xvfb, clang and its tools
set -euo pipefail
what=${1:-run}
pkgs=(cmake g++ make pkg-config libx11-dev libxext-dev libxfixes-dev libcairo2-dev libpixman-1-dev
      libpango1.0-dev libfontconfig-dev libsystemd-dev fonts-dejavu-core fonts-liberation2
      librsvg2-bin)
if [ "$what" = test ]; then
  pkgs+=(googletest clang libclang-rt-14-dev libxtst-dev mingw-w64 g++-mingw-w64-x86-64-posix
         wine wine64 xvfb xauth)
  # BRENVIK_TEST_LOAD=N ./test.sh: a plain CPU hog beside the tests
  pkgs+=(stress-ng)
  # the Wayland tests: a private bus, the portal frontend, a backend double, headless sway
  pkgs+=(dbus-daemon xdg-desktop-portal python3-dbusmock sway xwayland wtype grim gir1.2-gtk-3.0 x11-utils)
  # real desktops (tests/desktops): KDE Plasma's compositor and portal backend (GNOME's Mutter is below)
  pkgs+=(kwin-wayland xdg-desktop-portal-kde qtwayland5 plasma-wayland-protocols libwayland-dev)
  # scripts/wm-suite.sh
  pkgs+=(openbox icewm fluxbox xfwm4 i3-wm kwin-x11 mutter picom)
  # scripts/package.sh and scripts/package-test.sh
  pkgs+=(icoutils dpkg-dev lintian desktop-file-utils unzip binutils)
  # scripts/format.sh, scripts/lint.sh (clang-tidy brings run-clang-tidy), scripts/check-structure.py
  pkgs+=(clang-format clang-tidy python3)
fi
missing=()
for p in "${pkgs[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0
echo "Installing: ${missing[*]}"
sudo_cmd=()
[ "$(id -u)" -ne 0 ] && sudo_cmd=(sudo)
"${sudo_cmd[@]}" apt-get update -qq
DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
