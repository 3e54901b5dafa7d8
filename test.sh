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

for preset in linux linux-asan windows fuzz; do
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset" -j"$jobs"
done

echo "== unit tests (ASan + UBSan)"
ctest --test-dir build/linux-asan -LE e2e --output-on-failure

echo "== core and conformance tests as a Windows build under Wine (Xvfb)"
scripts/with-xvfb.sh ctest --test-dir build/windows --output-on-failure

echo "== fuzz targets"
scripts/run-fuzz.sh

echo "== end-to-end (Xvfb): the Windows build under Wine and the Linux build"
export BRENVIK_E2E_TARGETS="windows linux"
scripts/with-xvfb.sh ctest --test-dir build/linux -L e2e --output-on-failure
