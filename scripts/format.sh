#!/usr/bin/env bash
# Formats the project's own C and C++ sources (src, common, platform, tests, bench)
# with .clang-format.
#   scripts/format.sh           rewrites the files in place
#   scripts/format.sh --check   lists the files that differ; non-zero when any does
set -euo pipefail
cd "$(dirname "$0")/.."
command -v clang-format >/dev/null || { echo "clang-format is missing (scripts/deps.sh test)" >&2; exit 2; }
# Tracked files and new ones not yet added; never build output.
sources() {
  git ls-files -z --cached --others --exclude-standard -- src common platform tests bench |
    grep -zE '\.(cpp|h|c)$'
}
case "${1:-}" in
  "") sources | xargs -0 -n 20 -P "$(nproc)" clang-format -i --style=file ;;
  --check)
    differ=$(sources | xargs -0 -n 1 -P "$(nproc)" sh -c 'clang-format --style=file "$1" | cmp -s - "$1" || echo "$1"' sh |
             sort)
    [ -z "$differ" ] && exit 0
    echo "$differ"
    echo "$(wc -l <<<"$differ") files differ from .clang-format; scripts/format.sh rewrites them" >&2
    exit 1 ;;
  *) echo "usage: scripts/format.sh [--check]" >&2; exit 2 ;;
esac
