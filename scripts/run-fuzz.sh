#!/usr/bin/env bash
# Runs every fuzz target for a bounded time, seeded from tests/fuzz/corpus.
set -euo pipefail
cd "$(dirname "$0")/.."
secs=${FUZZ_SECONDS:-30}
shopt -s nullglob
for target in build/fuzz/tests/fuzz/fuzz_*; do
  [ -x "$target" ] || continue
  name=$(basename "$target")
  work=$(mktemp -d)
  cp -r "tests/fuzz/corpus/${name#fuzz_}/." "$work/" 2>/dev/null || true
  echo "-- $name (${secs}s)"
  (cd "$work" && "$OLDPWD/$target" -max_total_time="$secs" -max_len=4096 -print_final_stats=0 "$work" 2>&1 | tail -n 3)
  rm -rf "$work"
done
