# Sourced by the project's scripts: gives Wine a display and a long-lived
# wineserver for a build tree's own prefix, and stops what it started.
#   wine_session_start BUILD_DIR [x86|x64]     (default x86)
#   quor_wine PROGRAM ARGS...                  runs it with the target's loader
. "$(dirname "${BASH_SOURCE[0]}")/wine-targets.sh"

wine_session_start() {
    mkdir -p "$1"
    local build
    build=$(cd "$1" && pwd)
    _wine_session_arch=${2:-x86}
    export WINEPREFIX="$build/wineprefix"
    export WINEDEBUG=-all
    export WINEDLLOVERRIDES="mscoree,mshtml="
    _wine_session_loader=$(wine_loader "$_wine_session_arch") ||
        { echo "no Wine loader for $_wine_session_arch" >&2; return 1; }
    # The 32-bit target keeps a 32-bit prefix: with 64-bit Wine installed,
    # the 32-bit loader would otherwise make a 64-bit one.
    export WINEARCH
    WINEARCH=$(wine_prefix_arch "$_wine_session_arch")
    _wine_session_xvfb=""
    trap wine_session_stop EXIT
    if [ -z "${DISPLAY:-}" ]; then
        local display_file="$build/.xvfb-display"
        rm -f "$display_file"
        Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$display_file" 2>/dev/null &
        _wine_session_xvfb=$!
        local n=0
        while [ ! -s "$display_file" ] && [ $n -lt 100 ]; do sleep 0.1; n=$((n + 1)); done
        [ -s "$display_file" ] || { echo "could not start Xvfb" >&2; return 1; }
        export DISPLAY=":$(head -n1 "$display_file")"
    fi
    # A persistent server: each Wine process then starts in milliseconds. A
    # server left behind by an interrupted run is replaced.
    # A prefix of the other width, left by an earlier run, is made anew.
    if [ -f "$WINEPREFIX/system.reg" ] && ! grep -qx "#arch=$WINEARCH" "$WINEPREFIX/system.reg"; then
        echo "replacing $WINEPREFIX, which is not a $WINEARCH prefix"
        WINEPREFIX="$WINEPREFIX" wineserver -k 2>/dev/null || true
        rm -rf "$WINEPREFIX"
    fi
    mkdir -p "$WINEPREFIX"
    if ! wineserver -p 2>/dev/null; then
        wineserver -k 2>/dev/null || true
        wineserver -w 2>/dev/null || true
        wineserver -p
    fi
    if [ ! -f "$WINEPREFIX/system.reg" ]; then
        echo "preparing the $_wine_session_arch Wine prefix in $WINEPREFIX"
        quor_wine wineboot -i >/dev/null 2>&1 </dev/null || true
    fi
    # No window manager runs on Xvfb: windows Wine leaves unmanaged close at
    # once instead of each waiting about 2 s for a manager's answer.
    quor_wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1 </dev/null || true
    # A program that crashes ends at once, as a failed test, instead of
    # waiting in Wine's debugger until CTest's time-out.
    quor_wine reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\AeDebug' /v Debugger /d '' /f \
        >/dev/null 2>&1 </dev/null || true
    # Start Wine's background services now, away from any test's output:
    # started by a test, they would hold its pipes open and CTest would wait.
    quor_wine wineboot >/dev/null 2>&1 </dev/null || true
}

quor_wine() {
    "$_wine_session_loader" "$@"
}

wine_session_stop() {
    wineserver -k 2>/dev/null || true
    if [ -n "${_wine_session_xvfb:-}" ]; then
        kill "$_wine_session_xvfb" 2>/dev/null || true
        wait "$_wine_session_xvfb" 2>/dev/null || true
        _wine_session_xvfb=""
        # The display went with it; a next session starts its own.
        unset DISPLAY
    fi
}
