# Sourced by the project's scripts: gives Wine a display and a long-lived
# wineserver for the build tree's own prefix, and stops what it started.
#   wine_session_start BUILD_DIR
wine_session_start() {
    local build=$1
    mkdir -p "$build"
    export WINEPREFIX="$build/wineprefix"
    export WINEDEBUG=-all
    export WINEDLLOVERRIDES="mscoree,mshtml="
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
    mkdir -p "$WINEPREFIX"
    if ! wineserver -p 2>/dev/null; then
        wineserver -k 2>/dev/null || true
        wineserver -w 2>/dev/null || true
        wineserver -p
    fi
    if [ ! -f "$WINEPREFIX/system.reg" ]; then
        echo "preparing the Wine prefix in $WINEPREFIX"
        wineboot -i >/dev/null 2>&1 </dev/null || true
    fi
    # No window manager runs on Xvfb: windows Wine leaves unmanaged close at
    # once instead of each waiting about 2 s for a manager's answer.
    wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1 </dev/null || true
    # Start Wine's background services now, away from any test's output:
    # started by a test, they would hold its pipes open and CTest would wait.
    wine wineboot >/dev/null 2>&1 </dev/null || true
}

wine_session_stop() {
    wineserver -k 2>/dev/null || true
    if [ -n "${_wine_session_xvfb:-}" ]; then
        kill "$_wine_session_xvfb" 2>/dev/null || true
        wait "$_wine_session_xvfb" 2>/dev/null || true
    fi
}
