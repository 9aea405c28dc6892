#!/bin/sh
# Runs a Windows program under Wine with the build tree's own prefix and
# without Wine's debug chatter. BUILD_DIR defaults to ./build of the checkout.
here=$(cd "$(dirname "$0")/.." && pwd)
: "${BUILD_DIR:=$here/build}"
: "${WINEPREFIX:=$BUILD_DIR/wineprefix}"
: "${WINEDEBUG:=-all}"
# No Mono or Gecko install prompts when the prefix is first made.
: "${WINEDLLOVERRIDES:=mscoree,mshtml=}"
export WINEPREFIX WINEDEBUG WINEDLLOVERRIDES
exec wine "$@"
