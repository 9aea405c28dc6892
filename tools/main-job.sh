#!/usr/bin/env bash
# Installs what is missing, builds, and lets the editor stand-in make an
# Export to Tape on the virtual deck through the simulation module: an
# insert edit of 150 frames at 01:00:20:00 on Video, A1 and A2, reported
# step by step and checked against the deck's tape.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build="$root/build"

"$root/tools/setup.sh"
cmake -S "$root" -B "$build" -G Ninja >/dev/null
cmake --build "$build" -j2

. "$root/tools/wine-session.sh"
wine_session_start "$build"
cd "$build"
wine "$build/bin/quorhost.exe" --sim --settings "$build/quorhost-settings.bin" \
    --script "$root/tools/main-job.script"
