#!/usr/bin/env bash
# Installs what is missing, builds both targets (the 32-bit module in build/,
# the 64-bit one in build/x64/) and runs every test under Wine for each target
# this machine runs (QUOR_ARCH=x86|x64|all chooses), then builds the
# standard-C++ parts natively under the sanitizers and runs their tests and
# fuzz targets.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build="$root/build"

"$root/tools/setup.sh"
# No product folder includes a layer above it.
python3 "$root/tools/check-layers.py"
. "$root/tools/wine-session.sh"
# Both targets are built everywhere: the static checks of each module's
# image run in the other target's tests too.
for target in x86 x64; do
    tree=$(target_build "$build" "$target")
    cmake -S "$root" -B "$tree" -G Ninja -DQUOR_TARGET="$target" \
        -DQUOR_PEER_BIN="$(target_build "$build" "$([ "$target" = x86 ] && echo x64 || echo x86)")/bin"
    cmake --build "$tree" -j2
done

choose_targets "Wine tests"
# One test at a time: the tests share the system-wide port semaphores.
# The simulated line runs against the wall clock, as a real one does: a
# virtual machine that stops a thread for longer than the protocol's 10 ms
# between bytes breaks a packet. A test program that fails is therefore run
# once more, and fails only when it fails again.
# A failure here still lets the other target and the native run report theirs.
status=0
for target in $quor_targets; do
    tree=$(target_build "$build" "$target")
    echo "=== Wine tests of the $target target ($tree)"
    started=$(date +%s)
    wine_session_start "$tree" "$target"
    ctest --test-dir "$tree" --output-on-failure -j1 --repeat until-pass:2 "$@" || status=$?
    wine_session_stop
    echo "=== $target target: $(( $(date +%s) - started )) s"
done

cmake -S "$root/tests/native" -B "$build/native" -G Ninja
cmake --build "$build/native" -j2
ctest --test-dir "$build/native" --output-on-failure -j2 "$@" || status=$?
exit "$status"
