#!/usr/bin/env bash
# Installs what is missing, builds everything and runs every test under Wine,
# then builds the standard-C++ parts natively under the sanitizers and runs
# their tests and fuzz targets.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build="$root/build"

"$root/tools/setup.sh"
cmake -S "$root" -B "$build" -G Ninja
cmake --build "$build" -j2

. "$root/tools/wine-session.sh"
wine_session_start "$build"
# One test at a time: the tests share the system-wide port semaphores.
# The simulated line runs against the wall clock, as a real one does: a
# virtual machine that stops a thread for longer than the protocol's 10 ms
# between bytes breaks a packet. A test program that fails is therefore run
# once more, and fails only when it fails again.
# A failure here still lets the native run report its own.
status=0
ctest --test-dir "$build" --output-on-failure -j1 --repeat until-pass:2 "$@" || status=$?
wine_session_stop

cmake -S "$root/tests/native" -B "$build/native" -G Ninja
cmake --build "$build/native" -j2
ctest --test-dir "$build/native" --output-on-failure -j2 "$@" || status=$?
exit "$status"
