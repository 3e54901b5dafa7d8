#!/usr/bin/env bash
# clang-tidy with the checks of .clang-tidy over the project's own sources as
# the linux preset compiles them, one file per core. Non-zero when any check
# finds something.
#   scripts/lint.sh         src, platform and bench (a few minutes)
#   scripts/lint.sh --all   the tests too (GoogleTest's headers make it
#                           three times as long; tests/desktops needs a
#                           built tree for its generated Wayland header)
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
db=build/linux
command -v run-clang-tidy >/dev/null || { echo "run-clang-tidy is missing (scripts/deps.sh test)" >&2; exit 2; }
[ -f "$db/compile_commands.json" ] || { echo "no $db/compile_commands.json: cmake --preset linux first" >&2; exit 2; }
case "${1:-}" in
  "") files="^$root/(src|platform|bench)/" ;;
  --all) files="^$root/(src|platform|bench|tests)/" ;;
  *) echo "usage: scripts/lint.sh [--all]" >&2; exit 2 ;;
esac
run-clang-tidy -quiet -p "$db" -j "$(nproc)" -header-filter "^$root/(src|platform|bench|tests)/" "$files"
