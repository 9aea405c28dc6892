#!/usr/bin/env bash
# Installs what is missing, builds the benchmark and runs it under Wine: the
# module in one process with the simulated rack and its virtual decks in
# wire time. The table goes to the console and to build/bench.csv.
#   tools/bench.sh [--short]     (--short: fewer samples, as CI runs it)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build="$root/build"

"$root/tools/setup.sh"
cmake -S "$root" -B "$build" -G Ninja
cmake --build "$build" -j2 --target quorbench

. "$root/tools/wine-session.sh"
wine_session_start "$build"
QUOR_BIN="$build/bin" wine "$build/bin/quorbench.exe" "$@" --out "$(winepath -w "$build/bench.csv")"
