#!/usr/bin/env bash
# Installs what is missing, builds the benchmark and runs it under Wine: the
# module in one process with the simulated rack and its virtual decks in
# wire time. The table goes to the console and to bench.csv in the build
# tree. It uses the 32-bit module where this machine runs it, else the
# 64-bit one (QUOR_ARCH=x86|x64 chooses).
#   tools/bench.sh [--short]     (--short: fewer samples, as CI runs it)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)

. "$root/tools/wine-session.sh"
prepare_one_target "benchmark" "$root"
cmake --build "$build" -j2 --target quorbench

wine_session_start "$build" "$quor_target"
QUOR_BIN="$build/bin" quor_wine "$build/bin/quorbench.exe" "$@" \
    --out "$(quor_wine winepath -w "$build/bench.csv")"
