#!/usr/bin/env bash
# Fails when a C++ file of the repository is not as .clang-format lays it
# out; with --fix, lays them all out. Run from anywhere.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
format=$(command -v clang-format-14 || command -v clang-format)
mapfile -t files < <(git ls-files '*.cpp' '*.h')
if [ "${1:-}" = "--fix" ]; then
    "$format" -i "${files[@]}"
    exit 0
fi
log=$(mktemp)
trap 'rm -f "$log"' EXIT
if ! "$format" --dry-run --Werror "${files[@]}" 2>"$log"; then
    grep -o '^[^:]*:[0-9]*:[0-9]*: error' "$log" | cut -d: -f1 | sort | uniq -c |
        sed 's/^ */  lines to lay out: /' | head -n 20
    echo "C++ not laid out as .clang-format says: tools/check-format.sh --fix"
    exit 1
fi
