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
# No product folder includes a layer above it, and the C++ is laid out as
# .clang-format says.
python3 "$root/tools/check-layers.py"
"$root/tools/check-format.sh"
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
# The simulated line runs against the wall clock, as a real one does, so a
# virtual machine that stalls a thread long enough can break a packet. A
# test program that fails is run once more and fails only when it fails
# again; every test that needed the second run is named, and counted at the
# end, so that an intermittent fault does not pass unseen.
# A failure here still lets the other target and the native run report theirs.
status=0
second_runs=0
for target in $quor_targets; do
    tree=$(target_build "$build" "$target")
    echo "=== Wine tests of the $target target ($tree)"
    started=$(date +%s)
    wine_session_start "$tree" "$target"
    first_log="$tree/ctest-first-run.log"
    if ! ctest --test-dir "$tree" --output-on-failure -j1 --output-log "$first_log" "$@"; then
        failed=$(sed -n 's/^[0-9]*:\(.*\)$/\1/p' "$tree/Testing/Temporary/LastTestsFailed.log" 2>/dev/null |
            tr '\n' ' ' || true)
        echo "=== $target target: running again what failed: ${failed:-(CTest named none)}"
        # With nothing named there is nothing to run again, and no pass.
        if [ -n "$failed" ] && ctest --test-dir "$tree" --output-on-failure -j1 --rerun-failed "$@"; then
            for name in $failed; do
                echo "NEEDED A SECOND RUN ($target): $name"
                second_runs=$((second_runs + 1))
            done
            grep -h '^\[  FAILED  \] [^ ]*\.[^ ]*' "$first_log" | sort -u | sed "s/^/  first run ($target): /" || true
        else
            status=1
        fi
    fi
    wine_session_stop
    echo "=== $target target: $(( $(date +%s) - started )) s"
done
echo "=== Wine test programs that needed a second run: $second_runs"

cmake -S "$root/tests/native" -B "$build/native" -G Ninja
cmake --build "$build/native" -j2
ctest --test-dir "$build/native" --output-on-failure -j2 "$@" || status=$?
exit "$status"
