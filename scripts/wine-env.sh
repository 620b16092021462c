# Sourced by the scripts that run Wine: prefix, quiet debug channels, display.
export WINEPREFIX=${TVK_WINEPREFIX:-${HOME:-/root}/.cache/tvk-wine}
export WINEARCH=win64
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}
export WINE_NO_CONSOLE_WINDOW=1

tvk_ensure_display() {
    if [ -z "${DISPLAY:-}" ]; then
        export DISPLAY=:87
        if ! xdpyinfo -display "$DISPLAY" >/dev/null 2>&1; then
            (Xvfb "$DISPLAY" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &)
            for _ in $(seq 50); do
                xdpyinfo -display "$DISPLAY" >/dev/null 2>&1 && break
                sleep 0.1
            done
        fi
    fi
}

tvk_ensure_prefix() {
    mkdir -p "$(dirname "$WINEPREFIX")"
    (
        flock 9
        if [ ! -f "$WINEPREFIX/.tvk-ready-2" ]; then
            [ -f "$WINEPREFIX/system.reg" ] || wine wineboot -i >/dev/null 2>&1
            # A crashing test program ends at once instead of starting the
            # interactive debugger, which would keep the test run waiting.
            for view in 64 32; do
                wine reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\AeDebug' \
                    /v Debugger /t REG_SZ /d '' /f /reg:$view >/dev/null 2>&1
            done
            touch "$WINEPREFIX/.tvk-ready-2"
        fi
    ) 9>"$WINEPREFIX.lock"
}

tvk_ensure_display
tvk_ensure_prefix
