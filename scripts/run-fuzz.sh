#!/usr/bin/env bash
# Runs every fuzz target for a bounded time, seeded from tests/fuzz/corpus.
# Exits non-zero when a target finds a fault; the input that triggers it is
# kept in <build>/fuzz-findings/. FUZZ_BUILD_DIR picks another build tree.
set -euo pipefail
cd "$(dirname "$0")/.."
secs=${FUZZ_SECONDS:-30}
build=$(cd "${FUZZ_BUILD_DIR:-build/fuzz}" && pwd)
findings="$build/fuzz-findings"
mkdir -p "$findings"

shopt -s nullglob
targets=("$build"/tests/fuzz/fuzz_*)
if [ ${#targets[@]} -eq 0 ]; then
  echo "no fuzz targets in $build (build the fuzz preset first)" >&2
  exit 2
fi

status=0
for target in "${targets[@]}"; do
  [ -x "$target" ] || continue
  name=$(basename "$target")
  work=$(mktemp -d)
  log="$work.log"
  cp -r "tests/fuzz/corpus/${name#fuzz_}/." "$work/" 2>/dev/null || true
  echo "-- $name (${secs}s)"
  if (cd "$work" && "$target" -max_total_time="$secs" -max_len=4096 -print_final_stats=0 \
        -artifact_prefix="$findings/$name-" "$work") >"$log" 2>&1; then
    tail -n 2 "$log"
  else
    echo "!! $name found a fault; the input is in $findings" >&2
    tail -n 40 "$log" >&2
    status=1
  fi
  rm -rf "$work" "$log"
done
exit $status
