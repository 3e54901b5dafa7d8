#!/usr/bin/env bash
# Builds the release packages and checks them as a user gets them: the Debian
# package against lintian and apt, its program and desktop entry unpacked and
# run; the Windows zip's contents, the executable's imports and resources,
# and its program run under Wine from a fresh folder.
set -euo pipefail
cd "$(dirname "$0")/.."
echo "== release packages: built, checked, unpacked and run (Xvfb)"
scripts/package.sh
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' build/linux/CMakeCache.txt)
deb=build/release/brenvik_${version}_amd64.deb
zip=build/release/brenvik-${version}-windows-x86_64.zip
cmake --build --preset linux -j"$(nproc)" --target package_tests
unpacked=$(mktemp -d)
trap 'rm -rf "$unpacked"' EXIT
fail() { echo "package check failed: $*"; exit 1; }

echo "-- the Debian package"
lintian --fail-on error,warning "$deb"
apt-get install --simulate "./$deb" >/dev/null || fail "apt cannot install $deb"
depends=$(dpkg-deb -f "$deb" Depends)
grep -q 'libcairo2 (>=' <<<"$depends" || fail "Depends not computed from the binary: $depends"
dpkg-deb -x "$deb" "$unpacked/deb"
for f in usr/bin/brenvik usr/share/applications/brenvik.desktop usr/share/doc/brenvik/copyright \
         usr/share/icons/hicolor/256x256/apps/brenvik.png usr/share/icons/hicolor/32x32/apps/brenvik.png \
         usr/share/icons/hicolor/scalable/apps/brenvik.svg; do
  [ -f "$unpacked/deb/$f" ] || fail "$deb lacks /$f"
done
cmp -s LICENSE "$unpacked/deb/usr/share/doc/brenvik/copyright" || fail "the copyright file is not the licence"
desktop-file-validate --no-hints "$unpacked/deb/usr/share/applications/brenvik.desktop"
grep -qx 'Icon=brenvik' "$unpacked/deb/usr/share/applications/brenvik.desktop" || fail "the desktop entry names no icon"

# The README shows the icon as it is rendered now.
for size in 256 32; do
  cmp -s "$unpacked/deb/usr/share/icons/hicolor/${size}x$size/apps/brenvik.png" "docs/screenshots/icon-$size.png" ||
    fail "docs/screenshots/icon-$size.png is not the current icon: copy it from build/linux/packaging/icons"
done

echo "-- the Windows zip"
[ "$(unzip -Z1 "$zip" | sort | tr '\n' ' ')" = "LICENSE README.md brenvik.exe " ] ||
  fail "$zip holds: $(unzip -Z1 "$zip" | tr '\n' ' ')"
mkdir "$unpacked/zip"
unzip -q "$zip" -d "$unpacked/zip"
exe=$unpacked/zip/brenvik.exe
# Only DLLs that every Windows has: the runtime is linked in.
others=$(objdump -p "$exe" | sed -n 's/^\tDLL Name: //p' | tr '[:upper:]' '[:lower:]' |
         grep -vxE 'kernel32\.dll|user32\.dll|gdi32\.dll|comctl32\.dll|msvcrt\.dll|advapi32\.dll' || true)
[ -z "$others" ] || fail "brenvik.exe imports $others"
resource=$(wrestool -x --raw --type=16 "$exe" | strings -el)
for want in "Brenvik split timer" "$version" "Copyright (c) 2026 The Brenvik authors, MIT License"; do
  grep -qxF "$want" <<<"$resource" || fail "the version resource lacks \"$want\": $resource"
done
wrestool -x --raw --type=24 "$exe" | grep -qF "version=\"$version.0\"" || fail "the manifest lacks $version"
wrestool -x --type=14 "$exe" >"$unpacked/brenvik.ico"
for size in 16 32 48 256; do
  icotool -l "$unpacked/brenvik.ico" | grep -q -- "--width=$size --height=$size" || fail "the icon lacks $size px"
done

echo "-- the unpacked programs in Xvfb: a whole run each, the desktop entry"
export WINEDEBUG=-all WINEPREFIX="${WINEPREFIX:-$HOME/.wine-brenvik}"
BRENVIK_E2E_TARGETS="linux windows" BRENVIK_LINUX_EXE="$unpacked/deb/usr/bin/brenvik" BRENVIK_WINDOWS_EXE="$exe" \
  BRENVIK_DESKTOP_ENTRY="$unpacked/deb/usr/share/applications/brenvik.desktop" \
  scripts/with-xvfb.sh build/linux/tests/package/package_tests
