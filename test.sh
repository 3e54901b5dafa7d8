#!/usr/bin/env bash
# Checks the code's format and shape (clang-format, clang-tidy, function
# sizes and folder includes), builds everything and runs every test: the
# core, the Win32 conformance suite, the Linux layer and the shell under
# ASan/UBSan, the core and the conformance suite again as a Windows build
# under Wine, the fuzz targets for a bounded time, and the end-to-end suite
# against both real binaries in Xvfb.
# Every stage runs even when an earlier one failed; a summary of the stages
# ends the output, and the exit status is non-zero when any failed.
#   BRENVIK_TEST_LOAD=N ./test.sh   the same with N cores kept busy meanwhile
set -uo pipefail
cd "$(dirname "$0")"
scripts/deps.sh test || exit 1
jobs=$(nproc)
export WINEDEBUG=-all WINEPREFIX="${WINEPREFIX:-$HOME/.wine-brenvik}"
# Both targets of the end-to-end suite. Set before any ctest reads
# build/linux: the first one lists the suite's tests for all later ones.
export BRENVIK_E2E_TARGETS="windows linux"

# A plain CPU hog for the whole run: the tests must pass on a busy machine.
if [ "${BRENVIK_TEST_LOAD:-0}" -gt 0 ]; then
  stress-ng --cpu "$BRENVIK_TEST_LOAD" --cpu-method int64 --quiet &
  load_pid=$!
  trap 'kill "$load_pid" 2>/dev/null; wait "$load_pid" 2>/dev/null' EXIT
  echo "== keeping $BRENVIK_TEST_LOAD cores busy (stress-ng, pid $load_pid)"
fi

# stage NAME CMD...: runs one stage and records its result and time.
# REQUIRES="stage ..." before it: skipped (and failed) when one of them failed.
summary=() failed=0 start=$SECONDS
declare -A outcome
stage() {
  local name=$1 t0=$SECONDS result=PASS need
  shift
  for need in ${REQUIRES:-}; do
    if [ "${outcome[$need]:-}" != PASS ]; then
      result=SKIP
      echo "== $name: skipped, $need did not pass"
    fi
  done
  if [ $result = PASS ]; then
    echo "== $name"
    "$@" || result=FAIL
  fi
  outcome[$name]=$result
  [ $result = PASS ] || failed=1
  summary+=("$(printf '%-12s %-5s %5d s' "$name" "$result" $((SECONDS - t0)))")
}

configure() {
  for preset in linux linux-asan windows fuzz; do
    cmake --preset "$preset" >/dev/null || return 1
  done
}
# The plain Linux build only needs what runs in Xvfb (the binary, the
# end-to-end and window-manager suites, the X11 driver tests, the portal
# tests) and the benches; the unit tests run from linux-asan.
build_linux() {
  cmake --build --preset linux -j"$jobs" --target brenvik e2e_tests x11_tests wm_tests bench_frames portal_tests \
    private_desktop sway_pointer bench_portal desktop_tests
}
build_asan() {
  cmake --build --preset linux-asan -j"$jobs" --target core_tests conformance_tests layer_tests shell_tests x11_unit_tests
}

unit_tests() {
  ctest --test-dir build/linux-asan -LE e2e -E '^(e2e|x11)_tests_NOT_BUILT$' -j"$jobs" --output-on-failure
}

# Unmanaged windows: with no window manager in Xvfb, Wine otherwise waits
# 2 s on every hide and destroy for a WM_STATE change that never comes. The
# wait lets the wineserver of this call end; one left running without the
# display breaks the windows of the next.
wine_tests() {
  scripts/with-xvfb.sh sh -c "wine reg add 'HKCU\\Software\\Wine\\X11 Driver' /v Managed /d N /f >/dev/null 2>&1; wineserver -w"
  scripts/with-xvfb.sh ctest --test-dir build/windows --output-on-failure
}

fuzz() { FUZZ_SECONDS="${FUZZ_SECONDS:-20}" scripts/run-fuzz.sh; }

# Global shortcuts on Wayland: the portal frontend with a backend double
# (Xvfb), headless sway.
portal() { scripts/with-xvfb.sh ctest --test-dir build/linux -L portal --output-on-failure; }

# Real Wayland desktops, headless: KDE Plasma (kwin_wayland with the real
# portal) and GNOME's Mutter, each with XWayland.
desktops() { ctest --test-dir build/linux -L desktops --output-on-failure; }

# The Windows build under Wine and the Linux build. The tests find the window
# by its title, so each runner gets its own X server. E2E_RUNNERS=1 runs them
# one after another.
e2e() {
  local runners=${E2E_RUNNERS:-2} listed count queue target i status=0 pids=()
  # Lists the tests once, before the runners read the list; both targets
  # must be in it.
  listed=$(ctest --test-dir build/linux -L e2e -N)
  for target in $BRENVIK_E2E_TARGETS; do
    grep -q "GetParam() = \"$target\"" <<<"$listed" || { echo "no end-to-end tests listed for the $target build"; return 1; }
  done
  # The runners share one queue of the tests, so a runner that draws the
  # slower ones (the Windows build under Wine) takes fewer.
  count=$(sed -n 's/^Total Tests: //p' <<<"$listed")
  queue=build/linux/e2e-queue
  echo 0 >"$queue"
  for i in $(seq 1 "$runners"); do
    # Wine keeps hotkeys per wineserver: one prefix per runner, so two
    # instances never contend for the same key.
    WINEPREFIX="$WINEPREFIX-$i" scripts/with-xvfb.sh scripts/e2e-runner.sh "$queue" "$count" \
      >"build/linux/e2e-$i.log" 2>&1 &
    pids+=($!)
  done
  for i in $(seq 1 "$runners"); do
    wait "${pids[$((i - 1))]}" || status=1
    echo "-- runner $i"
    cat "build/linux/e2e-$i.log"
  done
  return $status
}

# The Linux build under each window manager, beside a game window.
window_managers() { scripts/wm-suite.sh; }

# The code's shape: formatting, clang-tidy's checks (it reads the linux
# preset's compile_commands.json), function sizes and folder includes.
stage format scripts/format.sh --check
stage structure scripts/check-structure.py
stage configure configure
REQUIRES=configure stage lint scripts/lint.sh
REQUIRES=configure stage build-linux build_linux
REQUIRES=configure stage build-asan build_asan
REQUIRES=configure stage build-windows cmake --build --preset windows -j"$jobs"
REQUIRES=configure stage build-fuzz cmake --build --preset fuzz -j"$jobs"
REQUIRES=build-asan stage unit unit_tests
REQUIRES=build-windows stage wine wine_tests
REQUIRES=build-fuzz stage fuzz fuzz
REQUIRES=build-linux stage portal portal
REQUIRES=build-linux stage desktops desktops
# Release packages: built, checked with lintian and apt, unpacked and run.
REQUIRES="build-linux build-windows" stage packages scripts/package-test.sh
REQUIRES="build-linux build-windows" stage e2e e2e
REQUIRES=build-linux stage wm window_managers

echo "== summary"
printf '%s\n' "${summary[@]}"
echo "total: $((SECONDS - start)) s, $([ $failed = 0 ] && echo 'all passed' || echo 'FAILED')"
exit $failed
