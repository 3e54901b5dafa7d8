#!/usr/bin/env bash
# Builds the Linux overlay and starts it on the current X display. The
# splits, bests, PB and key bindings live in the directory you start it from.
set -euo pipefail
src="$(cd "$(dirname "$0")" && pwd)"
"$src/scripts/deps.sh" run
cmake -S "$src" --preset linux -DBRENVIK_TESTS=OFF >/dev/null
cmake --build "$src/build/linux" --target brenvik -j"$(nproc)"
exec "$src/build/linux/brenvik"
