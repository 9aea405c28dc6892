#!/usr/bin/env bash
# Installs what is missing, builds, and lets the editor stand-in drive the
# virtual deck through the simulation module: initialise, status, play,
# stop, locate a timecode with preroll; each step reports the deck's mode
# and position.
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
