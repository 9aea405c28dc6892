#!/usr/bin/env bash
# Installs what is missing, builds, and lets the editor stand-in make an
# Export to Tape on the virtual deck through the simulation module: an
# insert edit of 150 frames at 01:00:20:00 on Video, A1 and A2, reported
# step by step and checked against the deck's tape. It uses the 32-bit
# module where this machine runs it, else the 64-bit one (QUOR_ARCH=x86|x64
# chooses).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)

. "$root/tools/wine-session.sh"
prepare_one_target "main job" "$root"
cmake --build "$build" -j2

wine_session_start "$build" "$quor_target"
cd "$build"
quor_wine "$build/bin/quorhost.exe" --sim --settings "$build/quorhost-settings.bin" \
    --script "$root/tools/main-job.script"
