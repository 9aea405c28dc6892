#!/usr/bin/env bash
# Installs what is missing, builds everything and runs every test under Wine.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build="$root/build"

"$root/tools/setup.sh"
cmake -S "$root" -B "$build" -G Ninja
cmake --build "$build" -j2

. "$root/tools/wine-session.sh"
wine_session_start "$build"
# One test at a time: the tests share the system-wide port semaphores.
ctest --test-dir "$build" --output-on-failure -j1 "$@"
