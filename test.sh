#!/usr/bin/env bash
# Builds everything and runs every test: the core, the Win32 conformance
# suite, the Linux layer and the shell under ASan/UBSan, the core and the
# conformance suite again as a Windows build under Wine, the
# fuzz targets for a bounded time, and the end-to-end suite against both
# real binaries in Xvfb.
set -euo pipefail
cd "$(dirname "$0")"
scripts/deps.sh test
jobs=$(nproc)
export WINEDEBUG=-all WINEPREFIX="${WINEPREFIX:-$HOME/.wine-brenvik}"
# Both targets of the end-to-end suite. Set before any ctest reads
# build/linux: the first one lists the suite's tests for all later ones.
export BRENVIK_E2E_TARGETS="windows linux"

for preset in linux linux-asan windows fuzz; do
  cmake --preset "$preset" >/dev/null
done
# The unit tests run from linux-asan; the plain Linux build only needs what
# runs in Xvfb (the binary, the end-to-end suite, the X11 driver tests) and
# the frame bench.
cmake --build --preset linux -j"$jobs" --target brenvik e2e_tests x11_tests bench_frames portal_tests private_desktop bench_portal
# Under the sanitizers only the unit tests; the suites that need an X server
# run from the plain build (an unbuilt unit suite still fails in ctest).
cmake --build --preset linux-asan -j"$jobs" --target core_tests conformance_tests layer_tests shell_tests x11_unit_tests
for preset in windows fuzz; do
  cmake --build --preset "$preset" -j"$jobs"
done

echo "== unit tests (ASan + UBSan)"
ctest --test-dir build/linux-asan -LE e2e -E '^(e2e|x11)_tests_NOT_BUILT$' -j"$jobs" --output-on-failure

echo "== core and conformance tests as a Windows build under Wine (Xvfb)"
# Unmanaged windows: with no window manager in Xvfb, Wine otherwise waits
# 2 s on every hide and destroy for a WM_STATE change that never comes. The
# wait lets the wineserver of this call end; one left running without the
# display breaks the windows of the next.
scripts/with-xvfb.sh sh -c "wine reg add 'HKCU\\Software\\Wine\\X11 Driver' /v Managed /d N /f >/dev/null 2>&1; wineserver -w"
scripts/with-xvfb.sh ctest --test-dir build/windows --output-on-failure

echo "== fuzz targets"
FUZZ_SECONDS="${FUZZ_SECONDS:-20}" scripts/run-fuzz.sh

echo "== global shortcuts on Wayland: the portal frontend with a backend double (Xvfb), headless sway"
scripts/with-xvfb.sh ctest --test-dir build/linux -L portal --output-on-failure

echo "== real Wayland desktops, headless: KDE Plasma (kwin_wayland) and GNOME's Mutter, each with XWayland"
cmake --build --preset linux -j"$jobs" --target desktop_tests && ctest --test-dir build/linux -L desktops --output-on-failure

echo "== end-to-end (Xvfb): the Windows build under Wine and the Linux build"
# The tests find the window by its title, so each runner gets its own X
# server. E2E_RUNNERS=1 runs them one after another.
runners=${E2E_RUNNERS:-2}
# Lists the tests once, before the runners read the list; both targets
# must be in it.
listed=$(ctest --test-dir build/linux -L e2e -N)
for target in $BRENVIK_E2E_TARGETS; do
  grep -q "GetParam() = \"$target\"" <<<"$listed" || { echo "no end-to-end tests listed for the $target build"; exit 1; }
done
# The runners share one queue of the tests, so a runner that draws the
# slower ones (the Windows build under Wine) takes fewer.
count=$(sed -n 's/^Total Tests: //p' <<<"$listed")
queue=build/linux/e2e-queue
echo 0 >"$queue"
pids=()
for i in $(seq 1 "$runners"); do
  # Wine keeps hotkeys per wineserver: one prefix per runner, so two
  # instances never contend for the same key.
  WINEPREFIX="$WINEPREFIX-$i" scripts/with-xvfb.sh scripts/e2e-runner.sh "$queue" "$count" \
    >"build/linux/e2e-$i.log" 2>&1 &
  pids+=($!)
done
status=0
for i in $(seq 1 "$runners"); do
  wait "${pids[$((i - 1))]}" || status=1
  echo "-- runner $i"
  cat "build/linux/e2e-$i.log"
done

echo "== window managers (Xvfb): the Linux build under each, beside a game window"
cmake --build --preset linux -j"$jobs" --target wm_tests
scripts/wm-suite.sh || status=1
exit $status
