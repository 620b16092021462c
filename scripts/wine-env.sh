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

# The lock is held only while the prefix is being made, and no Wine process
# inherits its descriptor: Wine's system processes outlive the command that
# starts them and would hold the lock for as long as they live.
tvk_ensure_prefix() {
    local ready="$WINEPREFIX/.tvk-ready-3"
    [ -f "$ready" ] && return 0
    mkdir -p "$(dirname "$WINEPREFIX")"
    (
        flock 9
        if [ ! -f "$ready" ]; then
            [ -f "$WINEPREFIX/system.reg" ] || wine wineboot -i >/dev/null 2>&1 </dev/null 9>&-
            # A crashing test program ends at once instead of starting the
            # interactive debugger, which would keep the test run waiting.
            for view in 64 32; do
                wine reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\AeDebug' \
                    /v Debugger /t REG_SZ /d '' /f /reg:$view >/dev/null 2>&1 </dev/null 9>&-
            done
            # Windows that no window manager manages: Xvfb runs none, and
            # Wine waits two seconds for one to withdraw each managed window
            # it hides (every message box a test closes).
            wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f \
                >/dev/null 2>&1 </dev/null 9>&-
            touch "$ready"
        fi
    ) 9>"$WINEPREFIX.lock"
}

# Wine's system processes (services.exe, explorer.exe, rpcss.exe) are started
# by the first Wine program and inherit its output; a test runner reading that
# output would then wait for them until its time limit. Start a persistent
# server and those processes here, detached from every caller's output.
# (`wineserver -k` ends them; scripts/test.sh does so when it finishes.)
tvk_ensure_server() {
    mkdir -p "$WINEPREFIX"
    wineserver -p >/dev/null 2>&1 </dev/null || true
}

# The Wine processes of this prefix (their environment names it), one a line
# as "PID COMMAND".
tvk_prefix_processes() {
    local pid
    for pid in $(grep -lsxzF "WINEPREFIX=$WINEPREFIX" /proc/[0-9]*/environ | cut -d/ -f3); do
        case $(readlink "/proc/$pid/exe" 2>/dev/null) in
        */wine* | *qemu-i386*) echo "$pid $(tr '\0' ' ' <"/proc/$pid/cmdline" 2>/dev/null)" ;;
        esac
    done
}

# Ends every Wine process of the prefix: through its server, then any left
# (their server crashed or was ended) by the environment naming the prefix.
tvk_end_prefix() {
    timeout 60 wineserver -k >/dev/null 2>&1 || true
    timeout 60 wineserver -w >/dev/null 2>&1 || true
    local pid rest
    tvk_prefix_processes | while read -r pid rest; do
        kill -9 "$pid" 2>/dev/null || true
    done
}

tvk_ensure_system_processes() {
    if ! tvk_prefix_processes | grep -q 'services\.exe'; then
        wine cmd /c exit >/dev/null 2>&1 </dev/null
    fi
}

# Keeps the prefix's system processes up between programs (see
# scripts/wine_keeper.c): built once per prefix where MinGW-w64 is, started
# when not running, detached from the caller's output.
tvk_ensure_keeper() {
    local keeper="$WINEPREFIX/tvk-keeper.exe"
    local source
    source="$(dirname "${BASH_SOURCE[0]}")/wine_keeper.c"
    if [ ! -f "$keeper" ]; then
        command -v x86_64-w64-mingw32-gcc >/dev/null || return 0
        (
            flock 9
            [ -f "$keeper" ] ||
                x86_64-w64-mingw32-gcc -O2 -o "$keeper.tmp" "$source" -luser32 9>&- &&
                mv "$keeper.tmp" "$keeper"
        ) 9>"$WINEPREFIX.lock" || return 0
    fi
    if ! tvk_prefix_processes | grep -q 'tvk-keeper\.exe'; then
        setsid wine "$keeper" </dev/null >/dev/null 2>&1 9>&- &
        # The desktop is up once the keeper has touched it.
        for _ in $(seq 50); do
            tvk_prefix_processes | grep -q 'explorer\.exe' && break
            sleep 0.1
        done
    fi
}

tvk_ensure_display
tvk_ensure_server
tvk_ensure_prefix
tvk_ensure_system_processes
tvk_ensure_keeper
