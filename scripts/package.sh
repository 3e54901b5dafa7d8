#!/usr/bin/env bash
# Builds the release packages into build/release:
#   brenvik-<version>-windows-x86_64.zip   brenvik.exe, the README and the licence
#   brenvik_<version>_amd64.deb            the Linux build under /usr
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh test
out=build/release
rm -rf "$out"
for preset in linux windows; do
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset" -j"$(nproc)" --target brenvik
  cpack --config "build/$preset/CPackConfig.cmake" -B "$PWD/$out/$preset" >/dev/null
  mv "$out/$preset"/brenvik[-_]* "$out/"
  rm -rf "${out:?}/$preset"
done
ls "$out"
