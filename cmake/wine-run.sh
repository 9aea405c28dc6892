#!/bin/bash
# Runs a Windows program under Wine with the build tree's own prefix and
# without Wine's debug chatter: wine-run.sh [x86|x64] PROGRAM ARGS...
# (x86 when no target is given). BUILD_DIR defaults to the target's tree
# under ./build of the checkout.
here=$(cd "$(dirname "$0")/.." && pwd)
. "$here/tools/wine-targets.sh"
arch=x86
case ${1:-} in x86|x64) arch=$1; shift ;; esac
: "${BUILD_DIR:=$(target_build "$here/build" "$arch")}"
: "${WINEPREFIX:=$BUILD_DIR/wineprefix}"
: "${WINEDEBUG:=-all}"
# No Mono or Gecko install prompts when the prefix is first made.
: "${WINEDLLOVERRIDES:=mscoree,mshtml=}"
export WINEPREFIX WINEDEBUG WINEDLLOVERRIDES
export WINEARCH
WINEARCH=$(wine_prefix_arch "$arch")
loader=$(wine_loader "$arch") || { echo "no Wine loader for $arch" >&2; exit 127; }
exec "$loader" "$@"
