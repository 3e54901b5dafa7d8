#!/usr/bin/env bash
# One end-to-end runner: takes the next test from a queue that all runners
# share and runs it, until the queue is empty. A runner that gets slow tests
# simply takes fewer, so the runners end together.
#   scripts/e2e-runner.sh QUEUE_FILE TEST_COUNT
# QUEUE_FILE holds the number of the last test taken (0 at the start).
set -uo pipefail
queue=$1 count=$2
ran=0 failed=0 start=$SECONDS
next() {
  local taken
  taken=$( (
    flock 9
    local last
    last=$(cat "$queue")
    echo $((last + 1)) >"$queue"
    echo $((last + 1))
  ) 9>>"$queue.lock")
  [ "$taken" -le "$count" ] && echo "$taken"
}
while k=$(next); do
  ran=$((ran + 1))
  out=$(ctest --test-dir build/linux -L e2e -I "$k,$k" --output-on-failure 2>&1) || failed=$((failed + 1))
  # ctest's frame around the one test says nothing here.
  grep -vE '^(Internal ctest changing|Test project|Label Time Summary|Total Test time|100% tests passed|e2e +=|$)|^ +Start ' \
    <<<"$out" || true
done
echo "$ran tests, $failed failed, $((SECONDS - start)) s"
[ "$failed" -eq 0 ]
