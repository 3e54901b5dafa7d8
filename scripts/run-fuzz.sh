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

# One target per core at a time: each runs for its own fixed time, so they
# need not wait for one another.
jobs=${FUZZ_JOBS:-$(nproc)}

# Runs one target; its report goes to $2, its outcome to $2.status.
run_target() {
  local target=$1 report=$2 name work
  name=$(basename "$target")
  work=$(mktemp -d)
  cp -r "tests/fuzz/corpus/${name#fuzz_}/." "$work/" 2>/dev/null || true
  echo "-- $name (${secs}s)" >"$report"
  if (cd "$work" && "$target" -max_total_time="$secs" -max_len=4096 -print_final_stats=0 \
        -artifact_prefix="$findings/$name-" "$work") >"$work.log" 2>&1; then
    tail -n 2 "$work.log" >>"$report"
    echo 0 >"$report.status"
  else
    { echo "!! $name found a fault; the input is in $findings"; tail -n 40 "$work.log"; } >>"$report"
    echo 1 >"$report.status"
  fi
  rm -rf "$work" "$work.log"
}

reports=$(mktemp -d)
trap 'rm -rf "$reports"' EXIT
names=()
for target in "${targets[@]}"; do
  [ -x "$target" ] || continue
  while [ "$(jobs -rp | wc -l)" -ge "$jobs" ]; do wait -n || true; done
  name=$(basename "$target")
  names+=("$name")
  run_target "$target" "$reports/$name" &
done
wait

status=0
for name in "${names[@]}"; do
  if [ "$(cat "$reports/$name.status" 2>/dev/null)" = 0 ]; then
    cat "$reports/$name"
  else
    cat "$reports/$name" >&2
    status=1
  fi
done
exit $status
