#!/usr/bin/env bash
# Installs what is missing, builds, and lets the editor stand-in drive the
# module: load it, initialise, ask status, features and name, clean up.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build="$root/build"

"$root/tools/setup.sh"
cmake -S "$root" -B "$build" -G Ninja >/dev/null
cmake --build "$build" -j2

. "$root/tools/wine-session.sh"
wine_session_start "$build"
cd "$build"
wine "$build/bin/quorhost.exe" --settings "$build/quorhost-settings.bin" \
    init status features name cleanup
